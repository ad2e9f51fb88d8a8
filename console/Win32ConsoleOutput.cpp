#include "console/Win32ConsoleOutput.h"

#include "system/win32/WideText.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix {

void Win32ConsoleOutput::Out(const std::string& text) { Write(STD_OUTPUT_HANDLE, text); }

void Win32ConsoleOutput::Err(const std::string& text) { Write(STD_ERROR_HANDLE, text); }

void Win32ConsoleOutput::Write(unsigned long which, const std::string& text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    std::wstring wide = Widen(text);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string bytes;
    if (json_) {
        bytes = text;
    } else {
        std::wstring lines;
        for (const wchar_t c : wide) {
            if (c == L'\n' && (lines.empty() || lines.back() != L'\r')) lines += L'\r';
            lines += c;
        }
        UINT codePage = ::GetConsoleOutputCP();
        if (codePage == 0) codePage = ::GetOEMCP();
        const int size = ::WideCharToMultiByte(codePage, 0, lines.data(), static_cast<int>(lines.size()),
                                               nullptr, 0, nullptr, nullptr);
        bytes.resize(static_cast<std::size_t>(size > 0 ? size : 0));
        if (size > 0) {
            ::WideCharToMultiByte(codePage, 0, lines.data(), static_cast<int>(lines.size()),
                                  bytes.data(), size, nullptr, nullptr);
        }
    }
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace vornix
