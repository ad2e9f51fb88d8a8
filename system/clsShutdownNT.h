#pragma once
// Shuts the machine down, restarts it or logs the user off, optionally by
// force. On the NT family the shut-down privilege of the process is enabled
// first.
#include <cstdint>

#include "system/ShutdownApi.h"
#include "system/VersionSource.h"
#include "system/clsOS.h"

namespace vornix {

class clsShutdownNT {
public:
    clsShutdownNT(ShutdownApi& api, VersionSource& version)
        : api_(api), version_(version), os_(version) {}

    bool IsWinNT();
    // `Force` is a Boolean: any non-zero value counts as true. Shut-down and
    // log-off only make the request and report nothing.
    void ShutDownNT(std::int16_t Force);
    void LogOffNT(std::int16_t Force);
    // Restarts the machine. With Force, programs that hang are ended, but
    // every other program is asked to close and may keep its unsaved work
    // (EWX_FORCEIFHUNG on NT 5.0 and later; older systems know no such flag
    // and get a plain restart). True when the restart was started: the
    // shut-down privilege was enabled (on NT) and ExitWindowsEx took the request.
    bool RebootNT(std::int16_t Force);

private:
    bool EnableShutdownPrivilege();
    ShutdownApi& api_;
    VersionSource& version_;
    clsOS os_;
};

}  // namespace vornix
