#include "system/win32/Win32InstanceMutex.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix {

Win32InstanceMutex::Win32InstanceMutex() {
    handle_ = ::CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    anotherIsRunning_ = handle_ != nullptr ? error == ERROR_ALREADY_EXISTS
                                           : error == ERROR_ACCESS_DENIED;
}

Win32InstanceMutex::~Win32InstanceMutex() {
    if (handle_ != nullptr) ::CloseHandle(handle_);
}

}  // namespace vornix
