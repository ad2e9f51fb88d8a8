#pragma once
// Shuts the machine down, restarts it or logs the user off, optionally by
// force. On the NT family the shut-down privilege of the process is enabled
// first. No result is examined or reported: each method only makes the request.
#include <cstdint>

#include "system/ShutdownApi.h"
#include "system/clsOS.h"

namespace vornix {

class clsShutdownNT {
public:
    clsShutdownNT(ShutdownApi& api, VersionSource& version) : api_(api), os_(version) {}

    bool IsWinNT();
    // `Force` is a Boolean: any non-zero value counts as true.
    void ShutDownNT(std::int16_t Force);
    void RebootNT(std::int16_t Force);
    void LogOffNT(std::int16_t Force);

private:
    void EnableShutdownPrivilege();
    ShutdownApi& api_;
    clsOS os_;
};

}  // namespace vornix
