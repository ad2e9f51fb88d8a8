#pragma once
// UTF-8 <-> the system's ANSI code page (CP_ACP), through UTF-16.
#include "system/AnsiCodePage.h"

namespace vornix {

class Win32CodePage final : public AnsiCodePage {
public:
    std::string ToAnsi(std::string_view utf8) const override;
    std::string FromAnsi(std::string_view ansi) const override;
};

}  // namespace vornix
