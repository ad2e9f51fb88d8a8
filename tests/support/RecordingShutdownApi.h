#pragma once
// A ShutdownApi that records each call in order instead of ending anything.
#include <string>
#include <vector>

#include "system/RegistryApi.h"
#include "system/ShutdownApi.h"

namespace vornix::test {

class RecordingShutdownApi final : public ShutdownApi {
public:
    std::uintptr_t GetCurrentProcess() override {
        calls.push_back("GetCurrentProcess");
        return static_cast<std::uintptr_t>(-1);
    }
    bool OpenProcessToken(std::uintptr_t process, std::uint32_t access,
                          std::uintptr_t* token) override {
        calls.push_back("OpenProcessToken " + std::to_string(access));
        if (process != static_cast<std::uintptr_t>(-1) || !grantToken) return false;
        *token = 0x44;
        return true;
    }
    bool LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                               Luid* luid) override {
        calls.push_back("LookupPrivilegeValueA '" + systemName + "' " + name);
        luid->LowPart = 19;
        return true;
    }
    long AdjustTokenPrivileges(std::uintptr_t token, bool disableAll,
                               const TokenPrivileges& newState, std::uint32_t previousStateLength,
                               TokenPrivileges*, std::uint32_t*) override {
        calls.push_back("AdjustTokenPrivileges " + std::to_string(token) + " " +
                        std::to_string(disableAll) + " count=" +
                        std::to_string(newState.PrivilegeCount) + " luid=" +
                        std::to_string(newState.PrivilegeLuid.LowPart) + " attr=" +
                        std::to_string(newState.Attributes) + " len=" +
                        std::to_string(previousStateLength));
        if (token == 0) return kErrorInvalidHandle;
        return holdsPrivilege ? 0 : kErrorNotAllAssigned;
    }
    bool CloseHandle(std::uintptr_t handle) override {
        calls.push_back("CloseHandle " + std::to_string(handle));
        return true;
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
        return exitSucceeds;
    }
    std::vector<std::string> calls;
    bool grantToken = true;
    bool holdsPrivilege = true;
    bool exitSucceeds = true;
};

}  // namespace vornix::test
