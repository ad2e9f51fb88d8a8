#pragma once
// The owners of the Win32 handles the program holds, one alias a kind.
#include "system/UniqueHandle.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix {

// A COM interface: released, not closed.
template <class Interface>
void ReleaseInterface(Interface* object) {
    object->Release();
}

using UniqueHkey = UniqueAny<HKEY, &::RegCloseKey>;
// Mutexes, tokens, processes, threads and files. CreateFile's "none" is
// INVALID_HANDLE_VALUE: make a file's owner with UniqueFile.
using UniqueKernelHandle = UniqueAny<HANDLE, &::CloseHandle>;
inline UniqueKernelHandle UniqueFile(HANDLE file) {
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}
using UniqueModule = UniqueAny<HMODULE, &::FreeLibrary>;
using UniqueFont = UniqueAny<HFONT, &::DeleteObject>;
using UniqueBrush = UniqueAny<HBRUSH, &::DeleteObject>;
using UniqueGlobal = UniqueAny<HGLOBAL, &::GlobalFree>;
template <class Interface>
using UniqueInterface = UniqueAny<Interface*, &ReleaseInterface<Interface>>;

}  // namespace vornix
