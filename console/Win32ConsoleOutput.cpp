#include "console/Win32ConsoleOutput.h"

#include "system/win32/TextFunctions.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix {

void Win32ConsoleOutput::Out(const std::string& text) { Write(STD_OUTPUT_HANDLE, text); }

void Win32ConsoleOutput::Err(const std::string& text) { Write(STD_ERROR_HANDLE, text); }

void Win32ConsoleOutput::Write(unsigned long which, const std::string& text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        win32::WriteConsoleText(handle, text);
        return;
    }
    std::string bytes = text;
    if (!json_) {
        std::string lines;
        for (const char c : text) {
            if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
            lines += c;
        }
        UINT codePage = ::GetConsoleOutputCP();
        if (codePage == 0) codePage = ::GetOEMCP();
        bytes = Win32CodePage(codePage).ToAnsi(lines);
    }
    DWORD written = 0;
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace vornix
