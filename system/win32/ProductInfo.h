#pragma once
// The product name and version numbers, read from the running executable's
// own version information: the product name decides the product key.
#include <cstdint>
#include <string>

namespace vornix {

struct ProductInfo {
    std::string productName;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t revision = 0;
};

// Falls back to the values the executable was built with when its version
// information cannot be read.
ProductInfo ReadProductInfo();

// The executable's folder (a drive root keeps its backslash, "C:\") and its
// file name without extension, in UTF-8.
struct ExecutablePath {
    std::string folder;
    std::string baseName;
};
ExecutablePath ReadExecutablePath();

}  // namespace vornix
