#pragma once
// Tells which Windows the program runs on. Stateless: every call queries the
// version source afresh. A failed query yields 0 from both methods.
#include <cstdint>

#include "system/VersionSource.h"

namespace vornix {

class clsOS {
public:
    explicit clsOS(VersionSource& source) : source_(source) {}

    // dwPlatformId: 0 Win32s (or a failed query), 1 the 95/98/ME family, 2 NT.
    std::int32_t OperatingPlatform();
    // 0 Win32s or unknown, 1 Windows 95, 2 Windows 98, 3 Windows ME,
    // 4 NT 3.x/4.0, 5 Windows 2000, 6 Windows XP.
    std::int32_t OperatingSystem();
    // The version the system itself has (VersionSource::RealVersion), which
    // from Windows 8.1 on is not the one GetVersionExA tells; all zero when
    // the query fails.
    OsVersionRecord RealVersion();

private:
    OsVersionRecord Query();
    VersionSource& source_;
};

}  // namespace vornix
