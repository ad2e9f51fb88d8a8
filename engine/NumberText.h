#pragma once
// The number text of the 95/98/ME string values: a sign position (a blank,
// or "-") followed by the decimal digits, so 1500 is " 1500".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornix {

std::string ToNumberText(std::int32_t value);

// Reads a signed 32-bit number, allowing blanks before and after it.
// Empty text, anything that is not a number, and numbers outside the 32-bit
// range give no value.
std::optional<std::int32_t> ParseNumberText(std::string_view text);

}  // namespace vornix
