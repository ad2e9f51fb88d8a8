#pragma once
// Where clsOS and the start-up code get the Windows version record: the
// single-byte-character OSVERSIONINFO of GetVersionExA.
#include <cstdint>

namespace vornix {

struct OsVersionRecord {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionRecord) == 148, "the record GetVersionExA fills is 148 bytes");

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;  // 95, 98, ME
constexpr std::uint32_t kPlatformNT = 2;

class VersionSource {
public:
    virtual ~VersionSource() = default;
    // Fills `record` (whose size field the caller has set); false on failure,
    // in which case the record is left as it was.
    virtual bool GetVersionExA(OsVersionRecord& record) = 0;
    // The same record with the version the system itself has. From Windows
    // 8.1 on, GetVersionExA tells a program without compatibility entries in
    // its manifest 6.2; this does not (RtlGetVersion on the NT family).
    virtual bool RealVersion(OsVersionRecord& record) { return GetVersionExA(record); }
};

// A version source whose answer is set by hand: the native build's stand-in
// for GetVersionExA, and the way tests pick a Windows release.
class SettableVersionSource final : public VersionSource {
public:
    SettableVersionSource() = default;
    SettableVersionSource(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor)
        : platform_(platformId), major_(major), minor_(minor) {}
    void Set(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
             std::uint32_t build = 0) {
        platform_ = platformId;
        major_ = major;
        minor_ = minor;
        build_ = build;
        fails_ = false;
    }
    void SetFailing() { fails_ = true; }
    bool GetVersionExA(OsVersionRecord& record) override {
        if (fails_ || record.dwOSVersionInfoSize != sizeof(OsVersionRecord)) return false;
        record.dwMajorVersion = major_;
        record.dwMinorVersion = minor_;
        record.dwBuildNumber = build_;
        record.dwPlatformId = platform_;
        return true;
    }

private:
    std::uint32_t platform_ = kPlatformNT;
    std::uint32_t major_ = 5;
    std::uint32_t minor_ = 1;
    std::uint32_t build_ = 0;
    bool fails_ = false;
};

}  // namespace vornix
