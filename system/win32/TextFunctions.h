#pragma once
// The Windows functions that take or give text, in the character form of
// the running Windows. The form is chosen here, once, by the platform id:
//
//   the NT family (NT 4.0, 2000 and later)  the wide (W) functions, UTF-16
//   Windows 95, 98 and ME                   the single-byte (A) functions, in
//                                           the ANSI code page
//
// 95/98/ME export nearly every W function as a stub that fails with
// ERROR_CALL_NOT_IMPLEMENTED, so nothing above this file calls one: the
// module, mutex and console code go through here, the files through
// FileFunctions.h and the window through WindowFunctions.h, with UTF-8 text. On the NT family these are the
// W calls the program has always made. A text the ANSI code page cannot hold shows as its default
// character ("?"), as every single-byte program's does on that Windows.
//
// The names differ from the functions they stand for, whose names
// <windows.h> makes macros.
#include <string>
#include <string_view>

#include "system/win32/WindowsHeaders.h"

namespace vornix::win32 {

enum class CharForm { Wide, Ansi };

// The running Windows's form: Ansi on 95/98/ME (platform id 1), Wide on any
// other (also when the version cannot be read, as on the NT family).
CharForm RunningCharForm();

// The text a function such as GetWindowText or GetModuleFileName writes into
// a buffer of `size` characters, its result the characters written: read
// with a buffer grown while the text may not have fitted.
template <class Char, class Get>
std::basic_string<Char> ReadGrowing(Get get, std::size_t size = 256) {
    for (;;) {
        std::basic_string<Char> text(size, Char{});
        const DWORD n = get(text.data(), static_cast<DWORD>(size));
        if (n + 1 < size) {
            text.resize(n);
            return text;
        }
        if (size >= 32768) return {};
        size *= 2;
    }
}

// Text as the system's ANSI code page has it, and back.
std::string ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);

// The executable's path, and the whole command line.
std::string ExecutablePathName();
std::string CommandLine();

// A named mutex; `error` receives GetLastError().
HANDLE MakeMutex(const std::string& name, DWORD& error);

// Text for a console window.
bool WriteConsoleText(HANDLE console, const std::string& text);

}  // namespace vornix::win32
