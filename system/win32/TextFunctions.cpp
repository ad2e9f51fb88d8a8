#include "system/win32/TextFunctions.h"

#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32VersionSource.h"
#include "system/win32/WideText.h"

namespace vornix::win32 {
namespace {

bool Wide() { return RunningCharForm() == CharForm::Wide; }

}  // namespace

CharForm RunningCharForm() {
    static const CharForm form = [] {
        OsVersionRecord version{};
        version.dwOSVersionInfoSize = sizeof version;
        const bool known = Win32VersionSource().GetVersionExA(version);
        return known && version.dwPlatformId == kPlatformWindows ? CharForm::Ansi : CharForm::Wide;
    }();
    return form;
}

std::string ToAnsi(std::string_view utf8) { return Win32CodePage().ToAnsi(utf8); }
std::string FromAnsi(std::string_view ansi) { return Win32CodePage().FromAnsi(ansi); }

std::string ExecutablePathName() {
    if (Wide()) {
        return Narrow(ReadGrowing<wchar_t>([](wchar_t* buffer, DWORD size) {
            return ::GetModuleFileNameW(nullptr, buffer, size);
        }, MAX_PATH));
    }
    return FromAnsi(ReadGrowing<char>([](char* buffer, DWORD size) {
        return ::GetModuleFileNameA(nullptr, buffer, size);
    }, MAX_PATH));
}

std::string CommandLine() {
    if (Wide()) {
        const wchar_t* line = ::GetCommandLineW();
        return line ? Narrow(line) : std::string();
    }
    const char* line = ::GetCommandLineA();
    return line ? FromAnsi(line) : std::string();
}

HANDLE MakeMutex(const std::string& name, DWORD& error) {
    const HANDLE mutex = Wide() ? ::CreateMutexW(nullptr, FALSE, Widen(name).c_str())
                                : ::CreateMutexA(nullptr, FALSE, ToAnsi(name).c_str());
    error = ::GetLastError();
    return mutex;
}

bool WriteConsoleText(HANDLE console, const std::string& text) {
    DWORD written = 0;
    if (Wide()) {
        const std::wstring wide = Widen(text);
        return ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                               nullptr) != FALSE;
    }
    // A console of 95/98/ME shows its output code page.
    const std::string bytes = Win32CodePage(::GetConsoleOutputCP()).ToAnsi(text);
    return ::WriteConsoleA(console, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) != FALSE;
}

}  // namespace vornix::win32
