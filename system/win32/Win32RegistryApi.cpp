#include "system/win32/Win32RegistryApi.h"

#include "system/win32/WindowsHeaders.h"
#include "system/win32/UniqueHandles.h"
#include "system/win32/WideText.h"

namespace vornix {

namespace {

HKEY ToHkey(RegKeyHandle handle) {
    return reinterpret_cast<HKEY>(handle);
}

RegKeyHandle FromHkey(HKEY key) {
    return reinterpret_cast<RegKeyHandle>(key);
}

// advapi32 takes NUL-terminated strings; a name with a NUL inside would be
// cut short silently and address a different key or value.
bool HasEmbeddedNul(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

// Position of the next key separator at or after `start`, or npos. The trail
// byte of a double-byte character can be 0x5C as well (in code page 936, for
// one), so lead bytes of the ANSI code page take their trail byte along.
std::size_t FindSeparator(const std::string& path, std::size_t start) {
    for (std::size_t i = start; i < path.size(); ++i) {
        if (path[i] == '\\') return i;
        if (::IsDBCSLeadByte(static_cast<BYTE>(path[i]))) ++i;
    }
    return std::string::npos;
}

std::size_t FindLastSeparator(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t at = FindSeparator(path, 0); at != std::string::npos;
         at = FindSeparator(path, at + 1)) {
        last = at;
    }
    return last;
}

// The narrow functions convert a path into a fixed buffer of MAX_PATH wide
// characters on some systems (Wine does), and fail with ERROR_MORE_DATA for
// a longer one although the registry holds such paths. A long path is
// therefore walked one key at a time; each key name is at most 255 characters.
bool NeedsWalk(const std::string& path) {
    if (path.size() < MAX_PATH) return false;
    // Empty components keep their meaning only in a single call.
    if (path.front() == '\\') return false;
    for (std::size_t at = FindSeparator(path, 0); at != std::string::npos;
         at = FindSeparator(path, at + 1)) {
        if (at + 1 == path.size() || path[at + 1] == '\\') return false;
    }
    return true;
}

// The registry view a path is opened in. HKEY_LOCAL_MACHINE\SOFTWARE is the
// one tree 64-bit Windows keeps apart for 32-bit programs; the 64-bit build
// works in the 32-bit view of it, where the 32-bit build and every earlier
// 32-bit version of the program keep the product key and its backup. Paths
// outside SOFTWARE (the TCP/IP keys under SYSTEM) are shared by both views.
#ifdef _WIN64
constexpr REGSAM kSoftwareView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kSoftwareView = 0;
#endif

REGSAM ViewOf(HKEY root, const std::string& path) {
    if (kSoftwareView == 0 || root != HKEY_LOCAL_MACHINE) return 0;
    constexpr char kSoftware[] = "software";
    constexpr std::size_t kLength = sizeof kSoftware - 1;
    if (path.size() < kLength || (path.size() > kLength && path[kLength] != '\\')) return 0;
    for (std::size_t i = 0; i < kLength; ++i) {
        const char c = path[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kSoftware[i]) return 0;
    }
    return kSoftwareView;
}

LONG OpenOne(HKEY parent, const char* path, REGSAM view, HKEY* out) {
    return ::RegOpenKeyExA(parent, path, 0, MAXIMUM_ALLOWED | view, out);
}

LONG CreateOne(HKEY parent, const char* path, REGSAM view, HKEY* out) {
    return ::RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             MAXIMUM_ALLOWED | view, nullptr, out, nullptr);
}

// Opens (or, with `create`, creates) every key on `path` below `root` in turn.
LONG Walk(HKEY root, const std::string& path, bool create, HKEY* out) {
    const REGSAM view = ViewOf(root, path);
    UniqueHkey current;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = FindSeparator(path, start);
        const std::string part =
            path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const HKEY parent = current.get() != nullptr ? current.get() : root;
        HKEY next = nullptr;
        const LONG result = create ? CreateOne(parent, part.c_str(), view, &next)
                                   : OpenOne(parent, part.c_str(), view, &next);
        if (result != ERROR_SUCCESS) return result;
        current.reset(next);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    *out = current.release();
    return ERROR_SUCCESS;
}

// Opens or creates `path` below `root`, in the view that path belongs to.
LONG OpenOrCreate(HKEY root, const std::string& path, bool create, RegKeyHandle* out) {
    if (out == nullptr || HasEmbeddedNul(path)) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LONG result;
    if (path.empty()) {
        // RegOpenKeyA hands back `root` itself for an empty path, so the
        // caller would close a handle it does not own. A second handle to
        // the same key keeps one owner per handle.
        result = OpenOne(root, "", 0, &key);
    } else if (NeedsWalk(path)) {
        result = Walk(root, path, create, &key);
    } else {
        result = (create ? CreateOne : OpenOne)(root, path.c_str(), ViewOf(root, path), &key);
    }
    if (result == ERROR_SUCCESS) *out = FromHkey(key);
    return result;
}

}  // namespace

long Win32RegistryApi::OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) {
    return OpenOrCreate(ToHkey(root), path, false, out);
}

long Win32RegistryApi::CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) {
    return OpenOrCreate(ToHkey(root), path, true, out);
}

namespace {

// RegQueryValueExA or RegQueryValueExW with the name in its own form: the
// type and size on success, the size needed on ERROR_MORE_DATA.
template <class Query, class Char>
long QueryWith(Query query, HKEY key, const Char* name, std::uint32_t* type, std::uint8_t* data,
               std::uint32_t* size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD valueType = 0;
    DWORD valueSize = size != nullptr ? static_cast<DWORD>(*size) : 0;
    const LONG result = query(key, name, nullptr, &valueType, data, &valueSize);
    if (result == ERROR_SUCCESS) {
        if (type != nullptr) *type = static_cast<std::uint32_t>(valueType);
        if (size != nullptr) *size = static_cast<std::uint32_t>(valueSize);
    } else if (result == ERROR_MORE_DATA && size != nullptr) {
        *size = static_cast<std::uint32_t>(valueSize);
    }
    return result;
}

}  // namespace

long Win32RegistryApi::QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
    if (HasEmbeddedNul(name)) return ERROR_INVALID_PARAMETER;
    return QueryWith(::RegQueryValueExA, ToHkey(key), name.c_str(), type, data, size);
}

long Win32RegistryApi::QueryValueUnicode(RegKeyHandle key, const std::string& name,
                                         std::uint32_t* type, std::uint8_t* data,
                                         std::uint32_t* size) {
    if (HasEmbeddedNul(name)) return ERROR_INVALID_PARAMETER;
    if (form_ == win32::CharForm::Ansi) return QueryValue(key, win32::ToAnsi(name), type, data, size);
    return QueryWith(::RegQueryValueExW, ToHkey(key), Widen(name).c_str(), type, data, size);
}

long Win32RegistryApi::SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) {
    if (HasEmbeddedNul(name) || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, static_cast<DWORD>(type), data,
                            static_cast<DWORD>(size));
}

long Win32RegistryApi::SetValueUnicode(RegKeyHandle key, const std::string& name,
                                       std::uint32_t type, const std::uint8_t* data,
                                       std::uint32_t size) {
    if (HasEmbeddedNul(name) || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    if (form_ == win32::CharForm::Ansi) return SetValue(key, win32::ToAnsi(name), type, data, size);
    return ::RegSetValueExW(ToHkey(key), Widen(name).c_str(), 0, static_cast<DWORD>(type), data,
                            static_cast<DWORD>(size));
}

long Win32RegistryApi::EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                               std::uint32_t nameSize) {
    if (name == nullptr && nameSize != 0) return ERROR_INVALID_PARAMETER;
    return ::RegEnumKeyA(ToHkey(key), static_cast<DWORD>(index), name,
                         static_cast<DWORD>(nameSize));
}

long Win32RegistryApi::EnumValue(RegKeyHandle key, std::uint32_t index, char* name,
                                 std::uint32_t* nameSize, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* dataSize) {
    if (name == nullptr || nameSize == nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD nameLength = static_cast<DWORD>(*nameSize);
    DWORD valueType = 0;
    DWORD valueSize = dataSize != nullptr ? static_cast<DWORD>(*dataSize) : 0;
    const LONG result =
        ::RegEnumValueA(ToHkey(key), static_cast<DWORD>(index), name, &nameLength, nullptr,
                        &valueType, data, dataSize != nullptr ? &valueSize : nullptr);
    if (result == ERROR_SUCCESS) {
        *nameSize = static_cast<std::uint32_t>(nameLength);
        if (type != nullptr) *type = static_cast<std::uint32_t>(valueType);
        if (dataSize != nullptr) *dataSize = static_cast<std::uint32_t>(valueSize);
    }
    return result;
}

long Win32RegistryApi::DeleteKey(RegKeyHandle root, const std::string& path) {
    // An empty path would make advapi32 delete `root` itself.
    if (path.empty() || HasEmbeddedNul(path)) return ERROR_INVALID_PARAMETER;
    // A key in a view of its own, or at the end of a long path, is deleted
    // through its parent, opened in that view.
    const std::size_t split = NeedsWalk(path) || ViewOf(ToHkey(root), path) != 0
                                  ? FindLastSeparator(path)
                                  : std::string::npos;
    if (split != std::string::npos) {
        HKEY parent = nullptr;
        const LONG opened = Walk(ToHkey(root), path.substr(0, split), false, &parent);
        if (opened != ERROR_SUCCESS) return opened;
        const UniqueHkey owner(parent);
        return ::RegDeleteKeyA(owner.get(), path.c_str() + split + 1);
    }
    return ::RegDeleteKeyA(ToHkey(root), path.c_str());
}

long Win32RegistryApi::DeleteValue(RegKeyHandle key, const std::string& name) {
    if (HasEmbeddedNul(name)) return ERROR_INVALID_PARAMETER;
    return ::RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32RegistryApi::CloseKey(RegKeyHandle key) {
    return ::RegCloseKey(ToHkey(key));
}

}  // namespace vornix
