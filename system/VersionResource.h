#pragma once
// Reads the version information block (VS_VERSIONINFO) of an executable's
// resources as it lies in the file: the fixed file version and the strings
// of its first string table.
//
// Keep this reader; do not swap it for GetFileVersionInfo/VerQueryValue.
// Those live in version.dll, which is not a KnownDLL: Windows would load a
// copy planted beside the executable (a Downloads folder is the usual place
// it is started from) before its own, and the program runs with
// administrator rights. Reading the block ourselves needs no DLL at all.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vornix {

struct VersionResource {
    std::uint32_t fileVersionMS = 0;  // major << 16 | minor
    std::uint32_t fileVersionLS = 0;  // build << 16 | revision
    bool hasFixedInfo = false;
};

// Empty when the block is not a well-formed VS_VERSIONINFO.
std::optional<VersionResource> ParseVersionResource(const void* data, std::size_t size);

// The value of string `key` (e.g. "ProductName") in the block's first string
// table, as UTF-16 code units; empty when there is none.
std::u16string VersionString(const void* data, std::size_t size, const std::u16string& key);

}  // namespace vornix
