#include "system/win32/ProductInfo.h"

#include "system/win32/WindowsHeaders.h"

#include "system/Utf16.h"
#include "system/VersionResource.h"
#include "system/win32/TextFunctions.h"
#include "resources/VersionInfo.h"

namespace vornix {

ProductInfo ReadProductInfo() {
    ProductInfo info{VORNIX_PRODUCT_NAME, VORNIX_VERSION_MAJOR, VORNIX_VERSION_MINOR,
                     VORNIX_VERSION_REVISION};
    // The executable's own version information, read from its resources
    // with our own reader (VersionResource.h), never through version.dll.
    // FindResourceW is one of the few wide functions Windows 95/98/ME have.
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* block = loaded ? LockResource(loaded) : nullptr;
    const std::size_t size = found ? SizeofResource(nullptr, found) : 0;
    if (!block || size == 0) return info;
    if (const auto fixed = ParseVersionResource(block, size); fixed && fixed->hasFixedInfo) {
        info.major = HIWORD(fixed->fileVersionMS);
        info.minor = LOWORD(fixed->fileVersionMS);
        info.revision = LOWORD(fixed->fileVersionLS);
    }
    const std::u16string name = VersionString(block, size, u"ProductName");
    if (!name.empty()) info.productName = Utf16ToUtf8(name);
    return info;
}

ExecutablePath ReadExecutablePath() {
    // In UTF-8 a backslash is always one: no byte of a longer character is 0x5C.
    const std::string path = win32::ExecutablePathName();
    const std::size_t slash = path.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    // A drive root keeps its backslash, so the file's path gets two.
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    const std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos) file.resize(dot);
    return {folder, file};
}

}  // namespace vornix
