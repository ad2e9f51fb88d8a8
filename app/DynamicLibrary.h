#pragma once
// A DLL of the system folder, loaded by its full path when first needed
// rather than with the program, and released when its owner goes.
//
// ole32 and oleaut32 decode the banner and the logo after the window shows,
// and shell32 serves only the About box: imported with the program, the three
// cost every start about 3 ms under Wine (scripts/bench.sh startup), where
// the whole program takes some 11 ms more than a bare window. Loading by
// full path keeps a copy of the same name beside the executable (say, in a
// Downloads folder) out of this elevated process, for DLLs that are not
// KnownDLLs too.
#include "system/win32/FileFunctions.h"
#include "system/win32/UniqueHandles.h"

namespace vornix {

class DynamicLibrary {
public:
    // `name` is a file name in the system folder, e.g. "ole32.dll".
    explicit DynamicLibrary(const char* name) : module_(win32::LoadSystemLibrary(name)) {}

    // The function `name` as type F, or nullptr when the library or the
    // function is missing.
    template <class F>
    F* Get(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

private:
    UniqueModule module_;
};

}  // namespace vornix
