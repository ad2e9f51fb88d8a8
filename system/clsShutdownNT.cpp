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

void clsShutdownNT::RebootNT(std::int16_t Force) {
    const std::uint32_t flags = kEwxReboot | (Force != 0 ? kEwxForce : 0);
    if (IsWinNT()) EnableShutdownPrivilege();
    api_.ExitWindowsEx(flags, 0);
}

void clsShutdownNT::LogOffNT(std::int16_t Force) {
    api_.ExitWindowsEx(kEwxLogoff | (Force != 0 ? kEwxForce : 0), 0);
}

void clsShutdownNT::EnableShutdownPrivilege() {
    // Failures are not examined: a step that fails leaves the next ones to
    // run with a zero handle or identifier, and the request still goes out.
    std::uintptr_t token = 0;
    api_.OpenProcessToken(api_.GetCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery, &token);
    TokenPrivileges request;
    api_.LookupPrivilegeValueA("", "SeShutdownPrivilege", &request.PrivilegeLuid);
    request.PrivilegeCount = 1;
    request.Attributes = kSePrivilegeEnabled;
    TokenPrivileges previous;
    std::uint32_t returnLength = 0;
    api_.AdjustTokenPrivileges(token, false, request, 4 + 12 * request.PrivilegeCount, &previous,
                               &returnLength);
    // The token is ours: close it so no handle outlives the call.
    if (token != 0) api_.CloseHandle(token);
}

}  // namespace vornix
