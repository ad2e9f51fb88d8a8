#include "app/ProductInfo.h"

#include <cwchar>
#include <vector>

#include <windows.h>

#include "app/WideText.h"
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
    const std::wstring path = ModulePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return info;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return info;

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        info.major = HIWORD(fixed->dwFileVersionMS);
        info.minor = LOWORD(fixed->dwFileVersionMS);
        info.revision = LOWORD(fixed->dwFileVersionLS);
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) &&
        length >= sizeof(Translation)) {
        const auto* t = static_cast<const Translation*>(value);
        wchar_t query[64];
        std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\ProductName", t->language,
                      t->codePage);
        if (VerQueryValueW(block.data(), query, &value, &length) && length > 0) {
            std::wstring name(static_cast<const wchar_t*>(value));
            if (!name.empty()) info.productName = Narrow(name);
        }
    }
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
