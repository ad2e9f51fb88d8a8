#pragma once
// The Windows version record from GetVersionExA, and the real version from
// ntdll's RtlGetVersion.
#include "system/VersionSource.h"

namespace vornix {

class Win32VersionSource final : public VersionSource {
public:
    bool GetVersionExA(OsVersionRecord& record) override;
    bool RealVersion(OsVersionRecord& record) override;
};

}  // namespace vornix
