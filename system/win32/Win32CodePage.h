#pragma once
// UTF-8 <-> an ANSI code page, through UTF-16: the system's own (CP_ACP)
// unless another is named.
#include "system/AnsiCodePage.h"

namespace vornix {

class Win32CodePage final : public AnsiCodePage {
public:
    Win32CodePage() = default;
    explicit Win32CodePage(unsigned codePage) : codePage_(codePage) {}
    std::string ToAnsi(std::string_view utf8) const override;
    std::string FromAnsi(std::string_view ansi) const override;

private:
    unsigned codePage_ = 0;  // CP_ACP
};

}  // namespace vornix
