#include "system/win32/ProductInfo.h"

#include "system/win32/WindowsHeaders.h"

#include "system/VersionResource.h"
#include "system/win32/WideText.h"
#include "resources/VersionInfo.h"

namespace vornix {
namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

ProductInfo ReadProductInfo() {
    ProductInfo info{VORNIX_PRODUCT_NAME, VORNIX_VERSION_MAJOR, VORNIX_VERSION_MINOR,
                     VORNIX_VERSION_REVISION};
    // The executable's own version information, read from its resources
    // with our own reader (VersionResource.h), never through version.dll.
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
    if (!name.empty()) info.productName = Narrow(std::wstring(name.begin(), name.end()));
    return info;
}

ExecutablePath ReadExecutablePath() {
    const std::wstring path = ModulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    // A drive root keeps its backslash, so the file's path gets two.
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    const std::size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring::npos) file.resize(dot);
    return {Narrow(folder), Narrow(file)};
}

}  // namespace vornix
