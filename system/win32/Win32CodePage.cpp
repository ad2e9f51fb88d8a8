#include "system/win32/Win32CodePage.h"

#include <climits>

#include "system/win32/WideText.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix {

// Through UTF-16: the UTF-8 side by the program's own conversion (Windows 95
// has no CP_UTF8), the code page side by the system's. Characters the code
// page cannot hold become its default character; text longer than the APIs'
// int lengths cannot be converted and gives an empty string.
std::string Win32CodePage::ToAnsi(std::string_view utf8) const {
    const std::wstring wide = Widen(utf8);
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const wchar_t* units = wide.c_str();
    const int length = static_cast<int>(wide.size());
    const int outLength =
        ::WideCharToMultiByte(codePage_, 0, units, length, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return {};
    std::string out(static_cast<std::size_t>(outLength), '\0');
    if (::WideCharToMultiByte(codePage_, 0, units, length, out.data(), outLength, nullptr,
                              nullptr) != outLength) {
        return {};
    }
    return out;
}

std::string Win32CodePage::FromAnsi(std::string_view ansi) const {
    if (ansi.empty() || ansi.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(ansi.size());
    const int wideLength = ::MultiByteToWideChar(codePage_, 0, ansi.data(), length, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (::MultiByteToWideChar(codePage_, 0, ansi.data(), length, wide.data(), wideLength) !=
        wideLength) {
        return {};
    }
    return Narrow(wide);
}

}  // namespace vornix
