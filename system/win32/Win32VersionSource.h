#pragma once
// The Windows version record from GetVersionExA.
#include "system/VersionSource.h"

namespace vornix {

class Win32VersionSource final : public VersionSource {
public:
    bool GetVersionExA(OsVersionRecord& record) override;
};

}  // namespace vornix
