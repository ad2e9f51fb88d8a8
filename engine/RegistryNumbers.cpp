#include "engine/RegistryNumbers.h"

#include "engine/NumberText.h"

namespace vornix {

NumberRead ReadNumber(Registry& reg, Family family, const std::string& key,
                      const std::string& name) {
    std::uint32_t size = 0;
    const std::int32_t type = reg.ReadRegType(kHkeyLocalMachine, key, name, &size);
    if (type == Registry::kValueAbsent) return {NumberRead::Absent, 0};
    if (family == Family::NT) {
        // A DWORD of any other size than 4 bytes holds no proper number.
        if (type != static_cast<std::int32_t>(kRegDword) || size != 4) {
            return {NumberRead::NotNumber, 0};
        }
        return {NumberRead::Number, reg.ReadRegWord(kHkeyLocalMachine, key, name)};
    }
    if (type != static_cast<std::int32_t>(kRegSz)) return {NumberRead::NotNumber, 0};
    const auto number = ParseNumberText(reg.ReadRegString(kHkeyLocalMachine, key, name));
    if (!number) return {NumberRead::NotNumber, 0};
    return {NumberRead::Number, *number};
}

bool WriteNumber(Registry& reg, Family family, const std::string& key, const std::string& name,
                 std::int32_t value) {
    if (family == Family::NT) {
        reg.SaveRegWord(kHkeyLocalMachine, key, name, value);
    } else {
        reg.SaveRegString(kHkeyLocalMachine, key, name, ToNumberText(value));
    }
    const NumberRead back = ReadNumber(reg, family, key, name);
    return back.kind == NumberRead::Number && back.value == value;
}

bool RemoveValue(Registry& reg, const std::string& key, const std::string& name) {
    reg.DeleteRegValue(kHkeyLocalMachine, key, name);
    return reg.ReadRegType(kHkeyLocalMachine, key, name) == Registry::kValueAbsent;
}

bool WriteText(Registry& reg, const std::string& key, const std::string& name,
               const std::string& text) {
    reg.SaveRegString(kHkeyLocalMachine, key, name, text);
    return reg.ReadRegType(kHkeyLocalMachine, key, name) == static_cast<std::int32_t>(kRegSz) &&
           reg.ReadRegString(kHkeyLocalMachine, key, name) == text;
}

}  // namespace vornix
