#pragma once
// UTF-8, the program's text, to and from UTF-16, the text of the wide
// Windows functions and the pivot of every code page conversion. The
// program does this itself rather than through the system's CP_UTF8, which
// Windows 95 does not have.
//
// Like the system's conversion, text that is not well formed still
// converts: a byte that starts no valid UTF-8 sequence, and a UTF-16
// surrogate without its partner, become U+FFFD.
#include <string>
#include <string_view>

namespace vornix {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace vornix
