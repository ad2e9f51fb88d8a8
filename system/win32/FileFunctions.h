#pragma once
// The file and library functions that take paths, in the character form of
// the running Windows (TextFunctions.h), with UTF-8 paths.
#include <string>

#include "system/win32/TextFunctions.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix::win32 {

// Files. OpenNewFile gives null, never INVALID_HANDLE_VALUE, on failure.
DWORD FileAttributes(const std::string& path);
bool SetAttributes(const std::string& path, DWORD attributes);
HANDLE OpenNewFile(const std::string& path);  // CREATE_NEW, for writing
bool RemoveFile(const std::string& path);
// Moves a complete file into place, written through to the disk where the
// system can (MoveFileEx, which 95/98/ME lack); `to` must not exist.
bool MoveFileTo(const std::string& from, const std::string& to);

// A DLL of the system folder, loaded by its full path; null when missing.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace vornix::win32
