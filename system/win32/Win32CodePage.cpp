#include "system/win32/Win32CodePage.h"

#include <climits>

#include "system/win32/WindowsHeaders.h"

namespace vornix {

namespace {

// Converts `text` from code page `from` to code page `to` through UTF-16.
// Invalid input sequences become U+FFFD, and characters `to` cannot hold
// become its default character. Text longer than the APIs' int lengths
// cannot be converted and gives an empty string.
std::string Convert(std::string_view text, UINT from, UINT to) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int inLength = static_cast<int>(text.size());
    const int wideLength = ::MultiByteToWideChar(from, 0, text.data(), inLength, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (::MultiByteToWideChar(from, 0, text.data(), inLength, wide.data(), wideLength) !=
        wideLength) {
        return {};
    }
    const int outLength =
        ::WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return {};
    std::string out(static_cast<std::size_t>(outLength), '\0');
    if (::WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), outLength, nullptr,
                              nullptr) != outLength) {
        return {};
    }
    return out;
}

}  // namespace

std::string Win32CodePage::ToAnsi(std::string_view utf8) const {
    return Convert(utf8, CP_UTF8, codePage_);
}

std::string Win32CodePage::FromAnsi(std::string_view ansi) const {
    return Convert(ansi, codePage_, CP_UTF8);
}

}  // namespace vornix
