#include "system/clsOS.h"

namespace vornix {

OsVersionRecord clsOS::Query() {
    OsVersionRecord record{};
    record.dwOSVersionInfoSize = sizeof(OsVersionRecord);
    source_.GetVersionExA(record);  // a failed call leaves the record zero
    return record;
}

OsVersionRecord clsOS::RealVersion() {
    OsVersionRecord record{};
    record.dwOSVersionInfoSize = sizeof(OsVersionRecord);
    if (!source_.RealVersion(record)) record = OsVersionRecord{};
    return record;
}

std::int32_t clsOS::OperatingPlatform() {
    return static_cast<std::int32_t>(Query().dwPlatformId);
}

std::int32_t clsOS::OperatingSystem() {
    const OsVersionRecord v = Query();
    if (v.dwPlatformId == kPlatformWin32s) return 0;
    if (v.dwPlatformId == kPlatformWindows) {
        // Only the minor version tells the 95/98/ME releases apart.
        if (v.dwMinorVersion == 0) return 1;
        if (v.dwMinorVersion == 10) return 2;
        if (v.dwMinorVersion == 90) return 3;
        return 0;
    }
    if (v.dwPlatformId == kPlatformNT) {
        if (v.dwMajorVersion < 5) return 4;
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return 5;
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return 6;
    }
    return 0;
}

}  // namespace vornix
