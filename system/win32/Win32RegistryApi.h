#pragma once
// The registry operations over advapi32's narrow (A) functions, and the wide
// (W) ones for the Unicode-named values where the system has them.
#include "system/RegistryApi.h"
#include "system/win32/TextFunctions.h"

namespace vornix {

// Keys are the HKEY values advapi32 hands out, carried as RegKeyHandle; the
// caller owns every key it opens or creates and closes it with CloseKey.
// Keys are opened with the most access the caller's token allows. In the
// 64-bit build, HKEY_LOCAL_MACHINE\SOFTWARE is seen as a 32-bit program sees
// it (KEY_WOW64_32KEY), so both builds share the one product key.
//
// Windows 95/98/ME keep every name in the ANSI code page, and their wide
// functions are stubs: with the single-byte form, the Unicode-named values
// go through the narrow functions too, by their name in the ANSI code page,
// the one form the registry of that family has.
class Win32RegistryApi final : public RegistryApi {
public:
    // The running Windows's form unless another is named.
    explicit Win32RegistryApi(win32::CharForm form = win32::RunningCharForm()) : form_(form) {}

    long OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override;
    long CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override;
    long QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* size) override;
    long SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size) override;
    long QueryValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override;
    long SetValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override;
    long EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                 std::uint32_t nameSize) override;
    long EnumValue(RegKeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                   std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
    long DeleteKey(RegKeyHandle root, const std::string& path) override;
    long DeleteValue(RegKeyHandle key, const std::string& name) override;
    long CloseKey(RegKeyHandle key) override;

private:
    win32::CharForm form_;
};

}  // namespace vornix
