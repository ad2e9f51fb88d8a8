#pragma once
// ManifestFiles over the Win32 file functions; paths are UTF-8.
#include "app/ManifestFiles.h"

namespace vornix {

class Win32ManifestFiles final : public ManifestFiles {
public:
    bool FileExists(const std::string& path) override;
    bool WriteComplete(const std::string& path, const std::string& bytes,
                       std::uint32_t attributes) override;
};

}  // namespace vornix
