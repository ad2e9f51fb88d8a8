#include "support/MemoryBackend.h"
#include "system/native/IconvCodePage.h"

namespace vornix::test {

const AnsiCodePage& TestCodePage() {
    static const IconvCodePage codePage;
    return codePage;
}

const AnsiCodePage& NamedCodePage(unsigned number) {
    static const IconvCodePage cp936("CP936"), cp1252("CP1252");
    return number == 1252 ? cp1252 : cp936;
}

std::unique_ptr<RealMachine> MakeRealMachine() { return nullptr; }

std::vector<RegistryBackend> AllRegistryBackends() {
    return {{"Memory", [] { return std::make_unique<MemoryBackendInstance>(TestCodePage()); }}};
}

}  // namespace vornix::test
