#pragma once
// The file operations the visual-style set-up needs. The program passes the
// Win32 implementation; tests a recording fake.
#include <cstdint>
#include <string>

namespace vornix {

constexpr std::uint32_t kAttributeReadOnly = 1;
constexpr std::uint32_t kAttributeHidden = 2;
constexpr std::uint32_t kAttributeSystem = 4;

class ManifestFiles {
public:
    virtual ~ManifestFiles() = default;
    // True when a file (not a folder) is at `path`; read-only, hidden and
    // system files count as well.
    virtual bool FileExists(const std::string& path) = 0;
    // Writes `bytes` to a temporary file beside `path`, gives it
    // `attributes`, and moves it to `path` only once it is complete. On any
    // failure nothing is left at `path` and the temporary file is removed.
    virtual bool WriteComplete(const std::string& path, const std::string& bytes,
                               std::uint32_t attributes) = 0;
};

}  // namespace vornix
