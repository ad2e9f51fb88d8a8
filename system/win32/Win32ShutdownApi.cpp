#include "system/win32/Win32ShutdownApi.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix {

static_assert(sizeof(TOKEN_PRIVILEGES) == sizeof(TokenPrivileges),
              "TokenPrivileges mirrors a one-entry TOKEN_PRIVILEGES");

namespace {

HANDLE ToHandle(std::uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

TOKEN_PRIVILEGES ToNative(const TokenPrivileges& privileges) {
    TOKEN_PRIVILEGES native{};
    native.PrivilegeCount = static_cast<DWORD>(privileges.PrivilegeCount);
    native.Privileges[0].Luid.LowPart = static_cast<DWORD>(privileges.PrivilegeLuid.LowPart);
    native.Privileges[0].Luid.HighPart = static_cast<LONG>(privileges.PrivilegeLuid.HighPart);
    native.Privileges[0].Attributes = static_cast<DWORD>(privileges.Attributes);
    return native;
}

TokenPrivileges FromNative(const TOKEN_PRIVILEGES& native) {
    TokenPrivileges privileges;
    privileges.PrivilegeCount = static_cast<std::uint32_t>(native.PrivilegeCount);
    privileges.PrivilegeLuid.LowPart = static_cast<std::uint32_t>(native.Privileges[0].Luid.LowPart);
    privileges.PrivilegeLuid.HighPart = static_cast<std::int32_t>(native.Privileges[0].Luid.HighPart);
    privileges.Attributes = static_cast<std::uint32_t>(native.Privileges[0].Attributes);
    return privileges;
}

}  // namespace

std::uintptr_t Win32ShutdownApi::GetCurrentProcess() {
    return reinterpret_cast<std::uintptr_t>(::GetCurrentProcess());
}

bool Win32ShutdownApi::OpenProcessToken(std::uintptr_t process, std::uint32_t access,
                                        std::uintptr_t* token) {
    if (token == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(ToHandle(process), static_cast<DWORD>(access), &opened)) return false;
    *token = reinterpret_cast<std::uintptr_t>(opened);
    return true;
}

bool Win32ShutdownApi::LookupPrivilegeValueA(const std::string& systemName,
                                             const std::string& name, Luid* luid) {
    if (luid == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // An empty system name means the local system, which the API takes as NULL.
    LUID found{};
    if (!::LookupPrivilegeValueA(systemName.empty() ? nullptr : systemName.c_str(), name.c_str(),
                                 &found)) {
        return false;
    }
    luid->LowPart = static_cast<std::uint32_t>(found.LowPart);
    luid->HighPart = static_cast<std::int32_t>(found.HighPart);
    return true;
}

long Win32ShutdownApi::AdjustTokenPrivileges(std::uintptr_t token, bool disableAll,
                                             const TokenPrivileges& newState,
                                             std::uint32_t previousStateLength,
                                             TokenPrivileges* previousState,
                                             std::uint32_t* returnLength) {
    // TokenPrivileges holds a single entry; a larger count would make the
    // API read past it.
    if (newState.PrivilegeCount > 1) return ERROR_INVALID_PARAMETER;
    TOKEN_PRIVILEGES native = ToNative(newState);
    TOKEN_PRIVILEGES previous{};
    DWORD needed = 0;
    // The previous state lands in a local one-entry record, so the length
    // handed to the API never exceeds the room actually there.
    const DWORD previousLength =
        previousState != nullptr
            ? static_cast<DWORD>(previousStateLength < sizeof(previous) ? previousStateLength
                                                                        : sizeof(previous))
            : 0;
    const BOOL ok = ::AdjustTokenPrivileges(ToHandle(token), disableAll ? TRUE : FALSE, &native,
                                            previousLength,
                                            previousState != nullptr ? &previous : nullptr,
                                            &needed);
    // The call succeeds also when the token lacks the privilege; only the
    // last error tells ERROR_NOT_ALL_ASSIGNED from a full success.
    const DWORD lastError = ::GetLastError();
    if (ok) {
        if (previousState != nullptr) *previousState = FromNative(previous);
        if (returnLength != nullptr) *returnLength = static_cast<std::uint32_t>(needed);
        return lastError == ERROR_NOT_ALL_ASSIGNED ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS;
    }
    if (returnLength != nullptr && lastError == ERROR_INSUFFICIENT_BUFFER) {
        *returnLength = static_cast<std::uint32_t>(needed);
    }
    return lastError != ERROR_SUCCESS ? static_cast<long>(lastError) : ERROR_INVALID_FUNCTION;
}

bool Win32ShutdownApi::CloseHandle(std::uintptr_t handle) {
    return ::CloseHandle(ToHandle(handle)) != FALSE;
}

bool Win32ShutdownApi::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ::ExitWindowsEx(static_cast<UINT>(flags), static_cast<DWORD>(reason)) != FALSE;
}

}  // namespace vornix
