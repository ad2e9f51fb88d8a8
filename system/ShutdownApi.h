#pragma once
// The token, privilege and ExitWindowsEx calls clsShutdownNT makes.
// Handles are opaque numbers; 0 means none.
#include <cstdint>
#include <string>

#include "system/UniqueHandle.h"

namespace vornix {

struct Luid {
    std::uint32_t LowPart = 0;
    std::int32_t HighPart = 0;
};

// TOKEN_PRIVILEGES with one entry: 16 bytes on Windows.
struct TokenPrivileges {
    std::uint32_t PrivilegeCount = 0;
    Luid PrivilegeLuid;
    std::uint32_t Attributes = 0;
};

constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x08;
constexpr std::uint32_t kSePrivilegeEnabled = 2;
constexpr std::uint32_t kEwxLogoff = 0;
constexpr std::uint32_t kEwxShutdown = 1;
constexpr std::uint32_t kEwxReboot = 2;
constexpr std::uint32_t kEwxForce = 4;
constexpr std::uint32_t kEwxForceIfHung = 0x10;
// "Operating System: Reconfiguration (Planned)": SHTDN_REASON_FLAG_PLANNED,
// SHTDN_REASON_MAJOR_OPERATINGSYSTEM and SHTDN_REASON_MINOR_RECONFIG.
constexpr std::uint32_t kShutdownReasonPlannedReconfig = 0x80020004;
constexpr long kErrorNotAllAssigned = 1300;

class ShutdownApi {
public:
    virtual ~ShutdownApi() = default;
    virtual std::uintptr_t GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(std::uintptr_t process, std::uint32_t access,
                                  std::uintptr_t* token) = 0;
    virtual bool LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                                       Luid* luid) = 0;
    // 0 when every privilege asked for was enabled; ERROR_NOT_ALL_ASSIGNED
    // when the call worked but the token does not hold one; otherwise the
    // code the call failed with.
    virtual long AdjustTokenPrivileges(std::uintptr_t token, bool disableAll,
                                       const TokenPrivileges& newState,
                                       std::uint32_t previousStateLength,
                                       TokenPrivileges* previousState,
                                       std::uint32_t* returnLength) = 0;
    virtual bool CloseHandle(std::uintptr_t handle) = 0;
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

// A handle the api opened (the process token), closed through it.
using UniqueShutdownHandle = UniqueApiHandle<ShutdownApi, std::uintptr_t, &ShutdownApi::CloseHandle>;

}  // namespace vornix
