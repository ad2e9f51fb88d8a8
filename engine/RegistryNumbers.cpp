#include "engine/RegistryNumbers.h"

#include "engine/NumberText.h"

namespace vornix {

NumberRead ToNumber(Family family, const Registry::Value& value) {
    if (value.Failed()) return {NumberRead::Failed, 0, {}};
    if (value.Absent()) return {NumberRead::Absent, 0, {}};
    // A DWORD of any other size than 4 bytes holds no proper number.
    std::optional<std::int32_t> number;
    if (family == Family::NT && value.IsDword()) number = value.number;
    if (family == Family::Win9x && value.IsString()) number = ParseNumberText(value.text);
    return {number ? NumberRead::Number : NumberRead::NotNumber, number.value_or(0), value.text};
}

std::vector<NumberRead> ReadNumbers(Registry& reg, Family family, const std::string& key,
                                    const std::vector<Located>& values) {
    std::vector<NumberRead> numbers;
    for (const Registry::Value& v : reg.ReadRegValues(kHkeyLocalMachine, key, NamesOf(values),
                                                      Registry::NameForm::Ansi, Registry::Reading::OneByOne)) {
        numbers.push_back(ToNumber(family, v));
    }
    return numbers;
}

Registry::NewValue NumberValue(Family family, const std::string& name, std::int32_t number) {
    if (family == Family::NT) return {name, false, number, {}};
    return {name, true, 0, ToNumberText(number)};
}

Registry::NewValue TextValue(const std::string& name, const std::string& text) {
    return {name, true, 0, text};
}

}  // namespace vornix
