#pragma once
// Conversion between the program's UTF-8 text and the system's ANSI code
// page, the form in which the narrow registry functions take names and text.
#include <string>
#include <string_view>

namespace vornix {

class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // Characters the code page cannot hold become the code page's default
    // character, as WideCharToMultiByte does.
    virtual std::string ToAnsi(std::string_view utf8) const = 0;
    virtual std::string FromAnsi(std::string_view ansi) const = 0;
};

}  // namespace vornix
