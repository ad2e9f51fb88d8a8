#include "engine/NumberText.h"

namespace vornix {

std::string ToNumberText(std::int32_t value) {
    const std::int64_t wide = value;
    // Built by appending: GCC 12 at -O2 reports a false -Wrestrict for
    // `"-" + std::string&&`, which -Werror turns into a failed build.
    std::string text(1, wide < 0 ? '-' : ' ');
    text += std::to_string(wide < 0 ? -wide : wide);
    return text;
}

std::optional<std::int32_t> ParseNumberText(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL) return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace vornix
