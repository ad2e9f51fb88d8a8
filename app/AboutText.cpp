#include "app/AboutText.h"

#include "resources/VersionInfo.h"

namespace vornix {

std::string AboutText(std::uint32_t major, std::uint32_t minor, std::uint32_t revision) {
    return VORNIX_PRODUCT_NAME " v" + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision) + "\r\n\r\n" + "软件开发：Vornix 开发组，2026年。" +
           "\r\n" + " 软件汉化：Vornix 本地化组";
}

}  // namespace vornix
