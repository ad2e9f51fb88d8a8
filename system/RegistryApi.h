#pragma once
// The registry operations the Registry class needs from the platform.
//
// Names, paths and REG_SZ data cross this interface in the system's ANSI code
// page, exactly as the narrow (A) functions of advapi32 take them, except for
// the two Unicode-named value operations. Every operation returns a Win32
// error code: 0 on success, non-zero otherwise. Outputs are written only on
// success unless a method says otherwise.
#include <cstdint>
#include <string>

namespace vornix {

using RegKeyHandle = std::uintptr_t;

// Predefined roots as the 32-bit handle values the program passes around,
// sign-extended to pointer width the way <windows.h> defines HKEY values.
constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);

inline RegKeyHandle RootHandle(std::int32_t hKey) {
    return static_cast<RegKeyHandle>(static_cast<std::intptr_t>(hKey));
}

// Registry value types.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Win32 error codes the backends return.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidData = 13;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorKeyDeleted = 1018;

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
    virtual long OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) = 0;
    // Opens the key, creating it and every missing key on its path first.
    virtual long CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) = 0;
    // Type and size of a value; with data != nullptr also its data. When the
    // buffer is too small: ERROR_MORE_DATA, *size set to the size needed.
    virtual long QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) = 0;
    // Creates or replaces a value.
    virtual long SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) = 0;
    // QueryValue and SetValue for a value whose name is given in UTF-8 and
    // reaches the registry as Unicode (the wide functions), so that it has
    // one form whatever the ANSI code page: under code page 1252 the narrow
    // functions turn "备份" into "??". The registry holds every name in
    // Unicode; a narrow name is the Unicode name its code page converts it
    // to. Data moves as raw bytes, so these serve values that hold no text.
    // Windows 95/98/ME hold names only in the ANSI code page: there the name
    // goes through it, as every other name does.
    virtual long QueryValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) = 0;
    virtual long SetValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) = 0;
    // Name of subkey `index`, NUL-terminated in a buffer of `nameSize` bytes.
    // ERROR_NO_MORE_ITEMS past the last subkey, ERROR_MORE_DATA when it does not fit.
    virtual long EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                         std::uint32_t nameSize) = 0;
    // Name, type and data of value `index`. *nameSize and *dataSize hold the
    // buffer sizes on entry. Fails when the name (with its NUL) or the data
    // do not fit.
    virtual long EnumValue(RegKeyHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* dataSize) = 0;
    // Removes a key that has no subkeys.
    virtual long DeleteKey(RegKeyHandle root, const std::string& path) = 0;
    virtual long DeleteValue(RegKeyHandle key, const std::string& name) = 0;
    virtual long CloseKey(RegKeyHandle key) = 0;
};

}  // namespace vornix
