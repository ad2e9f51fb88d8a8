#pragma once
// Token, privilege and ExitWindowsEx calls over kernel32, advapi32 and user32.
#include "system/ShutdownApi.h"

namespace vornix {

// Token handles returned by OpenProcessToken belong to the caller, who closes
// them with CloseHandle. The pseudo handle of GetCurrentProcess needs no close.
class Win32ShutdownApi final : public ShutdownApi {
public:
    std::uintptr_t GetCurrentProcess() override;
    bool OpenProcessToken(std::uintptr_t process, std::uint32_t access,
                          std::uintptr_t* token) override;
    bool LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                               Luid* luid) override;
    long AdjustTokenPrivileges(std::uintptr_t token, bool disableAll,
                               const TokenPrivileges& newState, std::uint32_t previousStateLength,
                               TokenPrivileges* previousState,
                               std::uint32_t* returnLength) override;
    bool CloseHandle(std::uintptr_t handle) override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace vornix
