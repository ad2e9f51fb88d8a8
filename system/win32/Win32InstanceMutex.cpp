#include "system/win32/Win32InstanceMutex.h"

namespace vornix {

Win32InstanceMutex::Win32InstanceMutex()
    : mutex_(::CreateMutexW(nullptr, FALSE, kInstanceMutexName)) {
    const DWORD error = ::GetLastError();
    anotherIsRunning_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

}  // namespace vornix
