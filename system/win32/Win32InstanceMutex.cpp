#include "system/win32/Win32InstanceMutex.h"

#include <string_view>

#include "system/win32/TextFunctions.h"
#include "system/win32/WideText.h"
#include "system/win32/Win32VersionSource.h"

namespace vornix {

std::string InstanceMutexName(const OsVersionRecord& version) {
    const std::string name = Narrow(kInstanceMutexName);
    const bool namespaces = version.dwPlatformId == kPlatformNT && version.dwMajorVersion >= 5;
    return namespaces ? name : name.substr(name.find('\\') + 1);
}

Win32InstanceMutex::Win32InstanceMutex() {
    OsVersionRecord version{};
    version.dwOSVersionInfoSize = sizeof version;
    // Kept when the version cannot be read: the name of the Windows of today.
    version.dwPlatformId = kPlatformNT;
    version.dwMajorVersion = 5;
    Win32VersionSource().GetVersionExA(version);
    DWORD error = 0;
    mutex_.reset(win32::MakeMutex(InstanceMutexName(version), error));
    anotherIsRunning_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

}  // namespace vornix
