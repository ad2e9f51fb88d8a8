#pragma once
// UTF-8 (the program's text) to and from UTF-16 (the wide Windows functions).
#include <string>
#include <string_view>

#include "system/Utf16.h"

namespace vornix {

inline std::wstring Widen(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace vornix
