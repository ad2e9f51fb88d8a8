// What an exception that nothing catches does in the MinGW-w64 builds: the
// process ends at once (std::abort), as it does after the handler libstdc++
// installs by default, which first writes the exception's type to stderr.
// That handler brings the C++ name demangler and the C library's printf
// family into the link, about a tenth of each executable, for a message
// neither can show: the window has no console, and vornix.exe catches
// everything in wmain. Defining the handler here, in each executable's own
// objects, keeps libstdc++'s out of the link.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
