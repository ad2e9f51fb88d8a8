#include "engine/RegistryNumbers.h"

#include "engine/NumberText.h"

namespace vornix {

NumberRead ToNumber(Family family, const Registry::Value& value) {
    if (value.Failed()) return {NumberRead::Failed, 0};
    if (value.Absent()) return {NumberRead::Absent, 0};
    if (family == Family::NT) {
        // A DWORD of any other size than 4 bytes holds no proper number.
        if (!value.IsDword()) return {NumberRead::NotNumber, 0};
        return {NumberRead::Number, value.number};
    }
    if (!value.IsString()) return {NumberRead::NotNumber, 0};
    const auto number = ParseNumberText(value.text);
    if (!number) return {NumberRead::NotNumber, 0};
    return {NumberRead::Number, *number};
}

Registry::NewValue NumberValue(Family family, const std::string& name, std::int32_t number) {
    if (family == Family::NT) return {name, false, number, {}};
    return {name, true, 0, ToNumberText(number)};
}

Registry::NewValue TextValue(const std::string& name, const std::string& text) {
    return {name, true, 0, text};
}

}  // namespace vornix
