#pragma once
// Drives the real VornixInternetOptimizer.exe under Wine from another
// process: copies it into a folder of its own, picks the Windows version
// Wine reports to it, starts it, works its controls and message boxes with
// window messages, and reads the real registry. Every wait is bounded.
#include <map>
#include <string>
#include <vector>

#include "system/win32/WindowsHeaders.h"

#include "support/DesignFacts.h"
#include "system/win32/UniqueHandles.h"
#include "system/win32/WideText.h"

namespace vornix::gui {

inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kBoxTimeoutMs = 30000;

// A path of the build machine ("/work/...") as Windows sees it ("Z:\work\...").
std::wstring DosPath(const std::string& unixPath);
// Polls `done` every `pollMs` until it holds or `timeoutMs` has passed.
template <class Done>
bool WaitUntil(Done done, DWORD timeoutMs, DWORD pollMs = 20) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

// Owns a kernel handle (one whose "none" is INVALID_HANDLE_VALUE through UniqueFile).
using Handle = UniqueKernelHandle;

// The real registry, by paths below a root key, as the program under test
// sees it: its product key is in the 32-bit view of HKLM\SOFTWARE (the
// 64-bit view when it runs as Windows 9x, where Wine, as Windows 9x did,
// takes no view from the access mask).
namespace reg {
// Picks the view for a program that runs as `windowsVersion` (Wine's name).
void FollowProgram(const wchar_t* windowsVersion);
bool Exists(HKEY root, const std::wstring& key, const std::wstring& name);
DWORD Type(HKEY root, const std::wstring& key, const std::wstring& name);  // REG_NONE when absent
DWORD Dword(HKEY root, const std::wstring& key, const std::wstring& name);  // 0xFFFFFFFF when absent
std::wstring String(HKEY root, const std::wstring& key, const std::wstring& name);
void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
void Delete(HKEY root, const std::wstring& key, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& key);
void CreateKey(HKEY root, const std::wstring& key);
// Every value below `key`, recursively: "subkey|name" -> "type:data".
std::map<std::wstring, std::wstring> Snapshot(HKEY root, const std::wstring& key);
}  // namespace reg

inline const std::wstring kProductKey = Widen(test::design::kProductKey);
inline const std::wstring kBackupFlag = Widen(test::design::kBackupFlag);
inline const std::wstring kParameters = Widen(test::design::kParametersKey);
inline const std::wstring kInterfaces = Widen(test::design::kInterfacesKey);
inline const std::wstring kMstcp = Widen(test::design::kMstcpKey);
inline const std::wstring kNetTrans = Widen(test::design::kNetTransKey);
inline const wchar_t* const kTestInterfaces[] = {L"{VORNIX-GUI-A}", L"{VORNIX-GUI-B}"};

// A stock machine (test::CleanMachine), in the views of SOFTWARE of both
// Windows families: the test interfaces and those named go too.
void CleanMachine(const std::vector<std::wstring>& interfaces = {});
// The three TCP/IP keys, for before/after comparisons.
std::map<std::wstring, std::wstring> TcpipState();

// The screen's DPI for the programs started while it lives. Wine takes a
// process's DPI when the process starts, from LogPixels under
// HKEY_CURRENT_USER\Control Panel\Desktop (or, without it, under the
// machine's current hardware profile); the value it replaced, or its absence,
// is put back when it goes.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi);
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;
    ~ScreenDpi();

private:
    bool had_ = false;
    DWORD previous_ = 0;
};

struct MessageBoxSeen {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    std::wstring title;
    std::wstring text;
};

// One copy of the program in C:\vornix-gui\<test>, started with the Windows
// version given. `program` (a path of the build machine) is copied there
// under the program's file name in place of the program under test when it
// is given; the start-up benchmark starts a bare window that way. The
// destructor closes it, and kills it if it will not end.
class App {
public:
    App(const std::wstring& test, const wchar_t* windowsVersion, const std::string& program = {});
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();

    const std::wstring& folder() const { return folder_; }
    const std::wstring& exe() const { return exe_; }
    DWORD pid() const { return pid_; }
    HWND main() const { return main_; }

    // Starts the copy and waits for its main window, looking every `pollMs`;
    // false on timeout.
    bool Start(DWORD pollMs = 20);
    // Starts the copy once more, without waiting for anything.
    HANDLE StartAnother(DWORD* pid);
    // Closes the main window and waits for the process to end with code 0.
    bool Close();
    bool Running() const;

    HWND Control(const char* name, int index = -1) const;
    // Every control of the main window, those inside panels too.
    std::vector<HWND> Controls() const;
    // The path, in lower case, of the module `name` (e.g. L"comctl32.dll")
    // the running copy has loaded; empty when it has none.
    std::wstring LoadedModule(const std::wstring& name) const;
    HWND SpeedOption(int method, int row) const;
    std::wstring Text(HWND hwnd) const;
    // Clicks a button without waiting for what the click sets off.
    static void Click(HWND button);
    // Waits for a visible message box of the process other than `previous`.
    MessageBoxSeen NextBox(HWND previous = nullptr) const;
    // Clicks the box's button `id` and waits for the box to go.
    bool Answer(const MessageBoxSeen& box, int id) const;

private:
    std::wstring folder_;
    std::wstring exe_;
    Handle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// Top-level windows of the program's window class, of any process.
int MainWindowCount();

// The processes of the prefix other than Wine's own and those in `mine`:
// what a restart would end besides the test.
std::wstring OtherPrograms(DWORD mine1, DWORD mine2);

}  // namespace vornix::gui
