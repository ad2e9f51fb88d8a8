#pragma once
// A system DLL loaded when first needed rather than at start-up, and
// released when its owner goes. Loading ole32, oleaut32, shell32 and version
// at start-up costs every start several milliseconds for pictures that paint
// after the window shows and an About box most starts never open.
#include <windows.h>

namespace vornix {

class DynamicLibrary {
public:
    explicit DynamicLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary() {
        if (module_) FreeLibrary(module_);
    }

    // The function `name` as type F, or nullptr when the library or the
    // function is missing.
    template <class F>
    F* Get(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

}  // namespace vornix
