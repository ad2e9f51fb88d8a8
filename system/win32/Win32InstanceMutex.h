#pragma once
// The one-instance rule of the window and the console tool: a named mutex
// in the Global\ namespace, so that fast user switching or Remote Desktop
// cannot have two copies working on the one HKEY_LOCAL_MACHINE. A mutex that
// exists but cannot be opened (another user's, ERROR_ACCESS_DENIED) counts
// as another instance too. The mutex is held for the life of the object.
//
// Before Windows 2000 (95/98/ME, NT 4.0) there are no session namespaces:
// one namespace holds every name, and a name with a backslash is refused.
// There the mutex takes the same name without "Global\".
#include <string>

#include "system/VersionSource.h"
#include "system/win32/UniqueHandles.h"

namespace vornix {

inline constexpr const wchar_t* kInstanceMutexName = L"Global\\VornixInternetOptimizer.SingleInstance";

// The mutex's name on the Windows of `version`.
std::string InstanceMutexName(const OsVersionRecord& version);

class Win32InstanceMutex {
public:
    Win32InstanceMutex();

    bool AnotherIsRunning() const { return anotherIsRunning_; }

private:
    UniqueKernelHandle mutex_;
    bool anotherIsRunning_ = false;
};

}  // namespace vornix
