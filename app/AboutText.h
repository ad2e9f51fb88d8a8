#pragma once
// What the About box says, and where it sends the user afterwards.
#include <cstdint>
#include <string>

namespace vornix {

inline constexpr const char* kAboutTitle = "关于";
// A reserved example address: the project's home page until it has its own.
inline constexpr const char* kHomePage = "https://www.example.com/vornix-internet-optimizer/";

// The message: name and version, an empty line, the credit line, and the
// translation credit. The numbers are written without leading zeros.
std::string AboutText(std::uint32_t major, std::uint32_t minor, std::uint32_t revision);

}  // namespace vornix
