#include "system/clsShutdownNT.h"

namespace vornix {

bool clsShutdownNT::IsWinNT() {
    return os_.OperatingPlatform() == static_cast<std::int32_t>(kPlatformNT);
}

void clsShutdownNT::ShutDownNT(std::int16_t Force) {
    const std::uint32_t flags = kEwxShutdown | (Force != 0 ? kEwxForce : 0);
    if (IsWinNT()) EnableShutdownPrivilege();
    api_.ExitWindowsEx(flags, 0);
}

bool clsShutdownNT::RebootNT(std::int16_t Force) {
    OsVersionRecord version{};
    version.dwOSVersionInfoSize = sizeof version;
    version_.GetVersionExA(version);  // a failed query leaves it zero: an older system
    const bool nt = version.dwPlatformId == kPlatformNT;
    const bool nt5 = nt && version.dwMajorVersion >= 5;
    const std::uint32_t flags = kEwxReboot | (Force != 0 && nt5 ? kEwxForceIfHung : 0);
    // Windows XP and later log why the machine restarted.
    const bool takesReason = nt && (version.dwMajorVersion > 5 ||
                                    (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1));
    const bool privileged = !nt || EnableShutdownPrivilege();
    const bool requested =
        api_.ExitWindowsEx(flags, takesReason ? kShutdownReasonPlannedReconfig : 0);
    return privileged && requested;
}

void clsShutdownNT::LogOffNT(std::int16_t Force) {
    api_.ExitWindowsEx(kEwxLogoff | (Force != 0 ? kEwxForce : 0), 0);
}

bool clsShutdownNT::EnableShutdownPrivilege() {
    // A step that fails leaves the next ones to run with a zero handle or
    // identifier; the caller is told whether the privilege is now enabled.
    std::uintptr_t handle = 0;
    const bool opened = api_.OpenProcessToken(api_.GetCurrentProcess(),
                                              kTokenAdjustPrivileges | kTokenQuery, &handle);
    // The token is ours: closed on the way out, so no handle outlives the call.
    UniqueShutdownHandle token;
    if (handle != 0) token.reset({&api_, handle});
    TokenPrivileges request;
    const bool found =
        api_.LookupPrivilegeValueA("", "SeShutdownPrivilege", &request.PrivilegeLuid);
    request.PrivilegeCount = 1;
    request.Attributes = kSePrivilegeEnabled;
    TokenPrivileges previous;
    std::uint32_t returnLength = 0;
    const long adjusted = api_.AdjustTokenPrivileges(
        handle, false, request, 4 + 12 * request.PrivilegeCount, &previous, &returnLength);
    return opened && found && adjusted == 0;
}

}  // namespace vornix
