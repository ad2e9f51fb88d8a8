#include "system/win32/Win32VersionSource.h"

#include <cstddef>
#include <cstring>

#include "system/win32/WindowsHeaders.h"

namespace vornix {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionRecord),
              "OsVersionRecord mirrors OSVERSIONINFOA");
static_assert(sizeof(OSVERSIONINFOA::szCSDVersion) == sizeof(OsVersionRecord::szCSDVersion),
              "the service pack text buffers have the same size");
static_assert(offsetof(OSVERSIONINFOA, szCSDVersion) == offsetof(OsVersionRecord, szCSDVersion),
              "the service pack text sits at the same offset");

bool Win32VersionSource::GetVersionExA(OsVersionRecord& record) {
    if (record.dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return false;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // GetVersionExA is marked deprecated in newer SDKs; the program needs
    // exactly what it reports, including the 9x platform id.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL ok = ::GetVersionExA(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (!ok) return false;
    record.dwMajorVersion = static_cast<std::uint32_t>(info.dwMajorVersion);
    record.dwMinorVersion = static_cast<std::uint32_t>(info.dwMinorVersion);
    record.dwBuildNumber = static_cast<std::uint32_t>(info.dwBuildNumber);
    record.dwPlatformId = static_cast<std::uint32_t>(info.dwPlatformId);
    std::memcpy(record.szCSDVersion, info.szCSDVersion, sizeof(record.szCSDVersion));
    // The API NUL-terminates it; a terminator here keeps readers safe regardless.
    record.szCSDVersion[sizeof(record.szCSDVersion) - 1] = '\0';
    return true;
}

bool Win32VersionSource::RealVersion(OsVersionRecord& record) {
    // ntdll is in every NT process; Windows 95/98/ME have no RtlGetVersion,
    // and there GetVersionExA tells the truth.
    using RtlGetVersionFn = LONG WINAPI(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    auto* rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn*>(reinterpret_cast<void*>(
                                      ::GetProcAddress(ntdll, "RtlGetVersion")))
                                : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0 ||
        record.dwOSVersionInfoSize != sizeof(OsVersionRecord)) {
        return GetVersionExA(record);
    }
    record.dwMajorVersion = static_cast<std::uint32_t>(info.dwMajorVersion);
    record.dwMinorVersion = static_cast<std::uint32_t>(info.dwMinorVersion);
    record.dwBuildNumber = static_cast<std::uint32_t>(info.dwBuildNumber);
    record.dwPlatformId = static_cast<std::uint32_t>(info.dwPlatformId);
    record.szCSDVersion[0] = '\0';
    return true;
}

}  // namespace vornix
