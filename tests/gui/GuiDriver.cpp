#include "gui/GuiDriver.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

#include <tlhelp32.h>

#include "app/Form1Layout.h"
#include "support/RegistryBackends.h"
#include "support/WideKey.h"
#include "support/WineOnly.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"

#ifndef VORNIX_GUI_APP
#error "VORNIX_GUI_APP must name the built VornixInternetOptimizer.exe (a path of the build machine)"
#endif

namespace vornix::gui {
namespace {

constexpr wchar_t kMainClass[] = L"VornixInternetOptimizerForm1";
constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\VornixInternetOptimizer.exe";

// The view of HKEY_LOCAL_MACHINE the program under test works in (see
// reg::FollowProgram); the TCP/IP keys under SYSTEM are the same in both.
REGSAM gProgramView = KEY_WOW64_32KEY;

// Owns an open registry key, in the program's view of HKEY_LOCAL_MACHINE.
class Key : public test::WideKey {
public:
    Key(HKEY root, const std::wstring& path, REGSAM access, bool create = false)
        : WideKey(root, path, root == HKEY_LOCAL_MACHINE ? access | gProgramView : access, create) {}
};

// A value's type and raw bytes; type REG_NONE when it does not exist.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue Read(HKEY root, const std::wstring& key, const std::wstring& name) {
    RawValue v;
    Key k(root, key, KEY_QUERY_VALUE);
    if (!k.get()) return v;
    DWORD size = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return v;
    }
    v.data.resize(size + sizeof(wchar_t));
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, v.data.data(), &size) !=
        ERROR_SUCCESS) {
        v.data.clear();
        return v;
    }
    v.data.resize(size);
    v.type = type;
    return v;
}

std::wstring StringOf(const std::vector<BYTE>& data) {
    std::wstring s(data.size() / sizeof(wchar_t), L'\0');
    if (!s.empty()) memcpy(s.data(), data.data(), s.size() * sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

std::wstring Describe(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD d = 0;
        memcpy(&d, data.data(), sizeof d);
        return L"dword:" + std::to_wstring(d);
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) return L"sz" + std::to_wstring(type) + L":" + StringOf(data);
    std::wstring hex = L"type" + std::to_wstring(type) + L":";
    for (BYTE b : data) {
        wchar_t two[4];
        std::swprintf(two, 4, L"%02x", b);
        hex += two;
    }
    return hex;
}

void SnapshotInto(HKEY root, const std::wstring& key, const std::wstring& prefix,
                  std::map<std::wstring, std::wstring>& out) {
    Key k(root, key, KEY_READ);
    if (!k.get()) return;
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(k.get(), i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        out[prefix + L"|" + std::wstring(name.data(), nameLength)] =
            Describe(type, std::vector<BYTE>(data.begin(), data.begin() + dataLength));
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(k.get(), i, name.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        subkeys.emplace_back(name.data(), nameLength);
    }
    for (const auto& sub : subkeys) {
        out[prefix + L"\\" + sub + L"|(key)"] = L"";
        SnapshotInto(root, key + L"\\" + sub, prefix + L"\\" + sub, out);
    }
}

struct FindWindows {
    const wchar_t* className;
    DWORD pid;  // 0: any process
    bool visibleOnly;
    HWND skip;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* f = reinterpret_cast<FindWindows*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (wcscmp(cls, f->className) == 0 && (f->pid == 0 || pid == f->pid) && hwnd != f->skip &&
        (!f->visibleOnly || IsWindowVisible(hwnd))) {
        f->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD pid, bool visibleOnly,
                                  HWND skip = nullptr) {
    FindWindows f{className, pid, visibleOnly, skip, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

}  // namespace

std::wstring DosPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

namespace reg {

bool Exists(HKEY root, const std::wstring& key, const std::wstring& name) {
    return Type(root, key, name) != REG_NONE;
}

DWORD Type(HKEY root, const std::wstring& key, const std::wstring& name) {
    return Read(root, key, name).type;
}

DWORD Dword(HKEY root, const std::wstring& key, const std::wstring& name) {
    const RawValue v = Read(root, key, name);
    DWORD d = 0xFFFFFFFF;
    if (v.type == REG_DWORD && v.data.size() == sizeof d) memcpy(&d, v.data.data(), sizeof d);
    return d;
}

std::wstring String(HKEY root, const std::wstring& key, const std::wstring& name) {
    const RawValue v = Read(root, key, name);
    return v.type == REG_SZ || v.type == REG_EXPAND_SZ ? StringOf(v.data) : std::wstring();
}

void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    Key k(root, key, KEY_SET_VALUE, true);
    if (k.get()) {
        RegSetValueExW(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
}

void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    Key k(root, key, KEY_SET_VALUE, true);
    if (k.get()) {
        RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
}

void Delete(HKEY root, const std::wstring& key, const std::wstring& name) {
    Key k(root, key, KEY_SET_VALUE);
    if (k.get()) RegDeleteValueW(k.get(), name.c_str());
}

void FollowProgram(const wchar_t* windowsVersion) {
    const std::wstring version = windowsVersion;
    const bool win9x = version == L"win95" || version == L"win98" || version == L"winme";
    gProgramView = win9x ? 0 : KEY_WOW64_32KEY;
}

bool KeyExists(HKEY root, const std::wstring& key) { return Key(root, key, KEY_READ).get() != nullptr; }

void CreateKey(HKEY root, const std::wstring& key) { Key k(root, key, KEY_READ, true); }

std::map<std::wstring, std::wstring> Snapshot(HKEY root, const std::wstring& key) {
    std::map<std::wstring, std::wstring> out;
    SnapshotInto(root, key, key, out);
    return out;
}

}  // namespace reg

void CleanMachine(const std::vector<std::wstring>& interfaces) {
    Win32RegistryApi api;
    Win32CodePage codePage;
    Registry registry(api, codePage);
    std::vector<std::string> names;
    for (const wchar_t* itf : kTestInterfaces) names.push_back(Narrow(itf));
    for (const std::wstring& itf : interfaces) names.push_back(Narrow(itf));
    test::CleanMachine(registry, names);
    // A program run as Windows 9x keeps the product key in the other view.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
}

std::map<std::wstring, std::wstring> TcpipState() {
    auto state = reg::Snapshot(HKEY_LOCAL_MACHINE, kNetTrans);
    state.merge(reg::Snapshot(HKEY_LOCAL_MACHINE, kMstcp));
    state.merge(reg::Snapshot(HKEY_LOCAL_MACHINE, kParameters));
    return state;
}

namespace {
const std::wstring kDesktopKey = L"Control Panel\\Desktop";
}  // namespace

ScreenDpi::ScreenDpi(DWORD dpi) {
    had_ = reg::Type(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels") == REG_DWORD;
    previous_ = reg::Dword(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    reg::SetDword(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", dpi);
}

ScreenDpi::~ScreenDpi() {
    if (had_) {
        reg::SetDword(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", previous_);
    } else {
        reg::Delete(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
}

App::App(const std::wstring& test, const wchar_t* windowsVersion, const std::string& program)
    : folder_(L"C:\\vornix-gui\\" + test), exe_(folder_ + L"\\VornixInternetOptimizer.exe") {
    reg::FollowProgram(windowsVersion);
    CreateDirectoryW(L"C:\\vornix-gui", nullptr);
    CreateDirectoryW(folder_.c_str(), nullptr);
    RemoveFile(exe_ + L".manifest");  // an earlier run's
    const std::string source = program.empty() ? std::string(VORNIX_GUI_APP) : program;
    if (!CopyFileW(DosPath(source).c_str(), exe_.c_str(), FALSE)) {
        std::fwprintf(stderr, L"cannot copy the program to %ls (error %lu)\n", exe_.c_str(),
                      GetLastError());
    }
    // Wine reads the version for an executable name when the process starts.
    reg::SetString(HKEY_CURRENT_USER, kAppDefaults, L"Version", windowsVersion);
}

App::~App() {
    if (Running() && !Close()) TerminateProcess(process_.get(), 99);
    if (process_.get()) WaitForSingleObject(process_.get(), 5000);
    // The copy is the test's own: the prefix keeps nothing of it, some 8 MB
    // a test in the Debug build.
    process_.reset();
    RemoveFile(exe_ + L".manifest");
    RemoveFile(exe_);
    RemoveDirectoryW(folder_.c_str());
}

bool App::Start(DWORD pollMs) {
    process_.reset(StartAnother(&pid_));
    if (!process_.get()) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", Narrow(exe_).c_str(), GetLastError());
        return false;
    }
    WaitUntil(
        [&] {
            const auto windows = TopLevelWindows(kMainClass, pid_, true);
            main_ = windows.empty() ? nullptr : windows.front();
            return main_ != nullptr || !Running();
        },
        kStartTimeoutMs, pollMs);
    if (main_ == nullptr) {
        // Why, for the test's output: the exit code, or the box shown instead.
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        const auto boxes = TopLevelWindows(L"#32770", pid_, true);
        const std::wstring why = code != STILL_ACTIVE ? L"it ended with exit code " + std::to_wstring(code)
                                 : !boxes.empty()     ? L"it shows the box \"" + NextBox().text + L"\""
                                                      : L"it still runs";
        std::fprintf(stderr, "%s showed no main window: %s\n", Narrow(exe_).c_str(), Narrow(why).c_str());
    }
    return main_ != nullptr;
}

HANDLE App::StartAnother(DWORD* pid) {
    std::wstring commandLine = L"\"" + exe_ + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &si, &pi)) {
        return nullptr;
    }
    CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return pi.hProcess;
}

bool App::Running() const {
    return process_.get() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool App::Close() {
    if (!process_.get()) return false;
    if (main_ && IsWindow(main_)) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.get(), 15000) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
        return false;
    }
    DWORD code = 1;
    GetExitCodeProcess(process_.get(), &code);
    return code == 0;
}

HWND App::Control(const char* name, int index) const {
    return GetDlgItem(main_, ControlId(name, index));
}

std::vector<HWND> App::Controls() const {
    std::vector<HWND> controls;
    EnumChildWindows(main_, CollectChild, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

std::wstring App::LoadedModule(const std::wstring& name) const {
    auto lower = [](std::wstring text) {
        for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
        return text;
    };
    const Handle snapshot = UniqueFile(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid_));
    if (!snapshot) return {};
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more;
         more = Module32NextW(snapshot.get(), &entry)) {
        if (lower(entry.szModule) == lower(name)) return lower(entry.szExePath);
    }
    return {};
}

HWND App::SpeedOption(int method, int row) const {
    const std::string name = "optInternetSpeed" + std::to_string(method + 1);
    return GetDlgItem(Control("picInternetSpeed", method), ControlId(name.c_str(), row));
}

std::wstring App::Text(HWND hwnd) const {
    wchar_t text[4096] = {};
    GetWindowTextW(hwnd, text, 4096);
    return text;
}

void App::Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

MessageBoxSeen App::NextBox(HWND previous) const {
    MessageBoxSeen box;
    WaitUntil(
        [&] {
            const auto boxes = TopLevelWindows(L"#32770", pid_, true, previous);
            box.hwnd = boxes.empty() ? nullptr : boxes.front();
            return box.hwnd != nullptr;
        },
        kBoxTimeoutMs);
    if (!box.hwnd) return box;
    box.owner = GetWindow(box.hwnd, GW_OWNER);
    box.title = Text(box.hwnd);
    wchar_t text[4096] = {};
    GetDlgItemTextW(box.hwnd, 0xFFFF, text, 4096);  // the message's static control
    box.text = text;
    return box;
}

bool App::Answer(const MessageBoxSeen& box, int id) const {
    HWND button = GetDlgItem(box.hwnd, id);
    if (!button) return false;
    Click(button);
    return WaitUntil([&] { return !IsWindow(box.hwnd); }, kBoxTimeoutMs);
}

int MainWindowCount() { return static_cast<int>(TopLevelWindows(kMainClass, 0, false).size()); }

std::wstring OtherPrograms(DWORD mine1, DWORD mine2) {
    static const wchar_t* const kWine[] = {L"services.exe", L"winedevice.exe", L"plugplay.exe",
                                           L"svchost.exe",  L"rpcss.exe",      L"explorer.exe",
                                           L"conhost.exe",  L"winemenubuilder.exe", L"start.exe"};
    const Handle snapshot = UniqueFile(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::wstring others;
    if (!snapshot) return L"(no process list)";
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == mine1 || entry.th32ProcessID == mine2) continue;
        std::wstring name = entry.szExeFile;
        for (auto& c : name) c = static_cast<wchar_t>(std::towlower(c));
        bool wine = false;
        for (const wchar_t* w : kWine) wine = wine || name == w;
        if (!wine) others += name + L" ";
    }
    return others;
}

}  // namespace vornix::gui
