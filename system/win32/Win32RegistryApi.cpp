#include "system/win32/Win32RegistryApi.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

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

}  // namespace

long Win32RegistryApi::OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) {
    if (out == nullptr || HasEmbeddedNul(path)) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    LONG result;
    if (path.empty()) {
        // RegOpenKeyA hands back `root` itself for an empty path, so the
        // caller would close a handle it does not own. A second handle to
        // the same key keeps one owner per handle.
        result = ::RegOpenKeyExA(ToHkey(root), "", 0, MAXIMUM_ALLOWED, &opened);
    } else {
        result = ::RegOpenKeyA(ToHkey(root), path.c_str(), &opened);
    }
    if (result == ERROR_SUCCESS) *out = FromHkey(opened);
    return result;
}

long Win32RegistryApi::CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) {
    if (out == nullptr || HasEmbeddedNul(path)) return ERROR_INVALID_PARAMETER;
    HKEY created = nullptr;
    LONG result;
    if (path.empty()) {
        // Same reason as in OpenKey: never return the caller's own handle.
        result = ::RegOpenKeyExA(ToHkey(root), "", 0, MAXIMUM_ALLOWED, &created);
    } else {
        result = ::RegCreateKeyA(ToHkey(root), path.c_str(), &created);
    }
    if (result == ERROR_SUCCESS) *out = FromHkey(created);
    return result;
}

long Win32RegistryApi::QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
    if (HasEmbeddedNul(name) || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD valueType = 0;
    DWORD valueSize = size != nullptr ? static_cast<DWORD>(*size) : 0;
    const LONG result = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType,
                                           data, &valueSize);
    if (result == ERROR_SUCCESS) {
        if (type != nullptr) *type = static_cast<std::uint32_t>(valueType);
        if (size != nullptr) *size = static_cast<std::uint32_t>(valueSize);
    } else if (result == ERROR_MORE_DATA && size != nullptr) {
        *size = static_cast<std::uint32_t>(valueSize);
    }
    return result;
}

long Win32RegistryApi::SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) {
    if (HasEmbeddedNul(name) || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, static_cast<DWORD>(type), data,
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
