#pragma once
// The native build's ANSI code page: a real conversion through iconv, to
// code page 936 (GBK) by default, the code page of Simplified Chinese Windows.
#include <string>

#include "system/AnsiCodePage.h"

namespace vornix {

class IconvCodePage final : public AnsiCodePage {
public:
    explicit IconvCodePage(std::string codePage = "CP936") : codePage_(std::move(codePage)) {}
    std::string ToAnsi(std::string_view utf8) const override;
    std::string FromAnsi(std::string_view ansi) const override;

private:
    std::string codePage_;
};

}  // namespace vornix
