#include "system/native/IconvCodePage.h"

#include <iconv.h>

#include <cerrno>

namespace vornix {
namespace {

// Converts `in` from one encoding to another. A sequence that cannot be
// converted becomes '?', as the Windows conversion functions put their
// default character, and the rest of the text still converts.
std::string Convert(std::string_view in, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // Skip one unconvertible character: a whole UTF-8 sequence, or
            // one byte of anything else.
            std::size_t skip = 1;
            const auto lead = static_cast<unsigned char>(*src);
            if (std::string_view(from) == "UTF-8") {
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            }
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            out += '?';
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string IconvCodePage::ToAnsi(std::string_view utf8) const {
    return Convert(utf8, "UTF-8", codePage_.c_str());
}

std::string IconvCodePage::FromAnsi(std::string_view ansi) const {
    return Convert(ansi, codePage_.c_str(), "UTF-8");
}

}  // namespace vornix
