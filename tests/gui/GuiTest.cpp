// The real program under Wine, driven through its window: start-up, the
// Optimize and Restore runs as Windows XP and Windows 98 against the real
// registry, the warning without a method, the About box and the manifest.
// The GuiRestart cases end every process of the prefix and only run from
// tests/gui/restart-test.sh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/Form1Layout.h"
#include "app/MXPTheme.h"
#include "gui/GuiDriver.h"
#include "system/win32/Win32InstanceMutex.h"

namespace vornix::gui {
namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const std::wstring kRunOnce = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::wstring kBackupExistsStatus = L"原配置的备份已经存在。你可以使用'还原按钮'将其还原。";
const std::wstring kClosingRest = L"。请重新启动您的系统\r\n为使更改生效。你现在要重启计算机吗？";

std::wstring WorkFile(const char* name) {
    return DosPath(std::string(VORNIX_GUI_WORK_DIR) + "/" + name);
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring InterfaceKey(int i) { return kInterfaces + L"\\" + kTestInterfaces[i]; }

// The summary of a DSL run at 2Mb, as the program has always shown it.
std::wstring DslSummary(bool withMss) {
    return std::wstring(L"您的互联网连接将被优化的更快\r\nTCP/IP参数如下：\r\n\r\n"
                        L"最大传输单元 (MTU)\t= 1492 字节\r\n") +
           (withMss ? L"段最大值 (MSS)\t\t= 1452 字节\r\n" : L"") +
           L"接收窗口 (RWIN)\t\t= 47916 字节\r\n生存时间 (TTL)\t\t\t= 128 hops\r\n"
           L"PMTU 黑洞检测\t\t= 0\r\nPMTU 检测\t\t\t= 1\r\n选择性确认 (SACK)\t= 1\r\n"
           L"RFC 1323 选项\t\t\t= 1";
}

class GuiTest : public testing::Test {
protected:
    void SetUp() override { CleanMachine(); }
    void TearDown() override { CleanMachine(); }
};
using GuiStart = GuiTest;
using GuiOptimize = GuiTest;
using GuiAbout = GuiTest;
using GuiManifest = GuiTest;
using GuiLayout = GuiTest;
// The machine is left as the restart found it, for GuiRestartAfter to look at.
class GuiRestart : public testing::Test {
protected:
    void SetUp() override { CleanMachine(); }
};

struct RunSeen {
    MessageBoxSeen summary;
    MessageBoxSeen closing;
};

// Chooses a method and a speed, clicks Optimize, answers the summary with OK
// and waits for the closing question, which it answers with `closingAnswer`
// unless that is 0.
RunSeen Optimize(App& app, int method, int speed, int closingAnswer) {
    App::Click(app.Control("optInternetMethod", method));
    // The panel's options are made when it first shows: wait for them.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(app.SpeedOption(method, speed)) != FALSE; },
                          5000))
        << "speed option " << speed << " of method " << method << " never showed";
    App::Click(app.SpeedOption(method, speed));
    App::Click(app.Control("cmdOptimize"));
    RunSeen run;
    run.summary = app.NextBox();
    EXPECT_TRUE(app.Answer(run.summary, IDOK)) << "no summary box";
    run.closing = app.NextBox(run.summary.hwnd);
    if (closingAnswer) {
        EXPECT_TRUE(app.Answer(run.closing, closingAnswer)) << "no closing question";
    }
    return run;
}

// Clicks About: the box, answered OK, sends the browser to the home page.
void AboutSendsTheBrowserHome(const App& app) {
    // winebrowser starts the programs listed in "Browsers" with the address;
    // this one appends it to a file.
    const std::string log = std::string(VORNIX_GUI_WORK_DIR) + "/browser.log";
    DeleteFileW(DosPath(log).c_str());
    const std::wstring browsersKey = L"Software\\Wine\\WineBrowser";
    reg::SetString(HKEY_CURRENT_USER, browsersKey, L"Browsers",
                   L"/bin/sh \"" + Widen(VORNIX_GUI_SOURCE_DIR) + L"/fake-browser.sh\" \"" +
                       Widen(log) + L"\"");
    App::Click(app.Control("cmdAbout"));
    const MessageBoxSeen box = app.NextBox();
    EXPECT_EQ(L"关于", box.title);
    EXPECT_EQ(0u, box.text.rfind(L"Vornix Internet Optimizer v1.0.2\r\n", 0)) << box.text;
    EXPECT_EQ(app.main(), box.owner);
    EXPECT_TRUE(app.Answer(box, IDOK));
    std::string opened;
    WaitUntil([&] { return !(opened = ReadFile(DosPath(log))).empty(); }, 20000);
    reg::Delete(HKEY_CURRENT_USER, browsersKey, L"Browsers");
    EXPECT_EQ("https://www.example.com/vornix-internet-optimizer/\n", opened);
}

void ExpectClosingQuestion(const App& app, const MessageBoxSeen& box, const std::wstring& head) {
    EXPECT_EQ(L"推荐", box.title);
    EXPECT_EQ(head + kClosingRest, box.text);
    EXPECT_EQ(app.main(), box.owner);
}

// Restore on a program started afresh: the question answered Yes, the
// closing question No. The TCP/IP values must then be those from before.
void RestoreFromNewStart(const wchar_t* test, const wchar_t* version,
                         const std::map<std::wstring, std::wstring>& before,
                         const std::string& program = {}) {
    App app(test, version, program);
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(IsWindowEnabled(app.Control("cmdRestore"))) << "the backup was not found at start";
    EXPECT_EQ(kBackupExistsStatus, app.Text(app.Control("lblOptimizeStatus")));
    App::Click(app.Control("cmdRestore"));
    const MessageBoxSeen question = app.NextBox();
    EXPECT_EQ(L"你想恢复到原来的TCP/IP配置。", question.text);
    EXPECT_EQ(app.main(), question.owner);
    ASSERT_TRUE(app.Answer(question, IDYES));
    const MessageBoxSeen closing = app.NextBox(question.hwnd);
    ExpectClosingQuestion(app, closing, L"您的TCP/IP参数已恢复到了原有值");
    ASSERT_TRUE(app.Answer(closing, IDNO));
    EXPECT_EQ(L"系统配置已恢复成功。", app.Text(app.Control("lblOptimizeStatus")));
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(before, TcpipState());
}

TEST_F(GuiStart, FirstStartRecordsInstallPathAndLeavesRestoreDisabled) {
    App app(L"first-start", L"winxp");
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(L"Vornix Internet Optimizer - 提升您的网速，远远超过以前！", app.Text(app.main()));
    // Captions the window takes from the profile table and the run's texts.
    EXPECT_EQ(L"移动电话网络", app.Text(app.Control("optInternetMethod", 2)));
    EXPECT_EQ(L"首先，请指定您的网络连接方式", app.Text(app.Control("Label2")));
    EXPECT_EQ(app.exe(), reg::String(HKLM, kProductKey, L"InstallPath"));
    EXPECT_FALSE(reg::Exists(HKLM, kProductKey, kBackupFlag));
    EXPECT_FALSE(IsWindowEnabled(app.Control("cmdRestore")));
    EXPECT_EQ(L"", app.Text(app.Control("lblOptimizeStatus")));
    EXPECT_TRUE(app.Close()) << "WM_CLOSE did not end the program with code 0";
}

TEST_F(GuiStart, SecondInstanceEndsAtOnceWithoutAWindow) {
    App app(L"second-instance", L"winxp");
    ASSERT_TRUE(app.Start());
    DWORD secondPid = 0;
    Handle second(app.StartAnother(&secondPid));
    ASSERT_TRUE(second.get());
    const bool ended = WaitForSingleObject(second.get(), 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(second.get(), 99);
    ASSERT_TRUE(ended) << "the second instance kept running";
    DWORD code = 1;
    GetExitCodeProcess(second.get(), &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(1, MainWindowCount());
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(app.Close());
}

TEST_F(GuiOptimize, WithoutMethodWarnsAndBlinksUntilAMethodIsChosen) {
    App app(L"no-method", L"winxp");
    ASSERT_TRUE(app.Start());
    HWND label1 = app.Control("Label1");
    ASSERT_TRUE(label1);
    EXPECT_FALSE(IsWindowVisible(label1));
    App::Click(app.Control("cmdOptimize"));
    const MessageBoxSeen box = app.NextBox();
    EXPECT_EQ(L"您的TCP / IP协议不能得到优化！", box.title);
    EXPECT_EQ(L"首先，请指定您的网络连接方式", box.text);
    EXPECT_EQ(app.main(), box.owner);
    ASSERT_TRUE(app.Answer(box, IDOK));

    // The border shows and hides every 500 ms.
    std::vector<ULONGLONG> toggles;
    bool shown = IsWindowVisible(label1) != FALSE;
    for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 3000;) {
        Sleep(10);
        const bool now = IsWindowVisible(label1) != FALSE;
        if (now != shown) toggles.push_back(GetTickCount64());
        shown = now;
    }
    EXPECT_GE(toggles.size(), 4u);
    for (std::size_t i = 1; i < toggles.size(); ++i) {
        EXPECT_GT(toggles[i] - toggles[i - 1], 250u);
        EXPECT_LT(toggles[i] - toggles[i - 1], 1000u);
    }

    App::Click(app.Control("optInternetMethod", 2));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(label1); }, 2000));
    EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(label1) != FALSE; }, 1500))
        << "the border blinks on after a method was chosen";
    EXPECT_TRUE(IsWindowVisible(app.Control("picInternetSpeed", 2)));
    EXPECT_TRUE(IsWindowVisible(app.Control("lblNext1")));
    EXPECT_FALSE(reg::Exists(HKLM, kProductKey, kBackupFlag));
    EXPECT_TRUE(app.Close());
}

TEST_F(GuiOptimize, WindowsXpRunWritesEveryInterfaceThenRestoreUndoesIt) {
    // Interface A has an MTU of its own, B nothing; the stack a TTL.
    reg::SetDword(HKLM, InterfaceKey(0), L"MTU", 1400);
    reg::CreateKey(HKLM, InterfaceKey(1));
    reg::SetDword(HKLM, kParameters, L"DefaultTTL", 64);
    const auto before = TcpipState();
    {
        App app(L"optimize-xp", L"winxp");
        ASSERT_TRUE(app.Start());
        const RunSeen run = Optimize(app, 0, 3, IDNO);  // DSL, 2Mb
        EXPECT_EQ(L"VornixInternetOptimizer", run.summary.title);
        EXPECT_EQ(app.main(), run.summary.owner);
        EXPECT_EQ(DslSummary(false), run.summary.text) << "MSS is a Windows 9x value";
        ExpectClosingQuestion(app, run.closing, L"优化完成");
        EXPECT_EQ(kBackupExistsStatus, app.Text(app.Control("lblOptimizeStatus")));
        EXPECT_TRUE(IsWindowEnabled(app.Control("cmdRestore")));
        EXPECT_TRUE(app.Close());
    }
    EXPECT_EQ(1u, reg::Dword(HKLM, kProductKey, kBackupFlag));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(1492u, reg::Dword(HKLM, InterfaceKey(i), L"MTU")) << i;
        EXPECT_EQ(47916u, reg::Dword(HKLM, InterfaceKey(i), L"TcpWindowSize")) << i;
    }
    for (const auto& [name, value] : test::design::Tuned(test::design::kParametersValues, 1492, 1452, 47916)) {
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), reg::Type(HKLM, kParameters, Widen(name))) << name;
        EXPECT_EQ(static_cast<DWORD>(value), reg::Dword(HKLM, kParameters, Widen(name))) << name;
    }
    EXPECT_FALSE(reg::Exists(HKLM, kMstcp, L"DefaultTTL"));

    RestoreFromNewStart(L"optimize-xp", L"winxp", before);
}

// A Windows the program was not made for: the summary adds what this
// Windows makes of the values, the closing question how many it reads.
TEST_F(GuiOptimize, Windows10SummaryNamesWhatThisWindowsIgnores) {
    App app(L"optimize-10", L"win10");
    ASSERT_TRUE(app.Start());
    const RunSeen run = Optimize(app, 0, 3, IDNO);
    const std::wstring paragraph = DslSummary(false) + L"\r\n\r\n此 Windows 版本 10.0：\r\n";
    EXPECT_EQ(0u, run.summary.text.find(paragraph)) << "the summary as always, then its paragraph";
    EXPECT_NE(std::wstring::npos, run.summary.text.find(L"TcpWindowSize（此 Windows 不读取）："));
    EXPECT_NE(std::wstring::npos, run.summary.text.find(L"EnablePMTUBHDetect（会改变此 Windows 的默认设置）"));
    EXPECT_EQ(std::wstring::npos, run.summary.text.find(L"DefaultTTL"));
    EXPECT_EQ(L"推荐", run.closing.title);
    EXPECT_EQ(0u, run.closing.text.find(L"优化完成" + kClosingRest + L"\r\n\r\n据 Microsoft 的文档"));
    EXPECT_EQ(std::wstring::npos, run.closing.text.find(L"\r\n", (L"优化完成" + kClosingRest + L"\r\n\r\n").size()))
        << "one added line";
    EXPECT_EQ(kBackupExistsStatus, app.Text(app.Control("lblOptimizeStatus")));
    EXPECT_TRUE(app.Close());
}

// A Windows 98 run of `program` (the program under test when empty), with
// the About box first when `about`: the number texts written, then a restore
// from a new start that gives the registry back exactly.
void Windows98Run(const wchar_t* test, const std::string& program, bool about) {
    reg::SetString(HKLM, kNetTrans, L"MaxMTU", L" 576");
    const auto before = TcpipState();
    {
        App app(test, L"win98", program);
        ASSERT_TRUE(app.Start());
        if (about) AboutSendsTheBrowserHome(app);
        const RunSeen run = Optimize(app, 0, 3, IDNO);
        EXPECT_EQ(DslSummary(true), run.summary.text);
        ExpectClosingQuestion(app, run.closing, L"优化完成");
        EXPECT_EQ(kBackupExistsStatus, app.Text(app.Control("lblOptimizeStatus")));
        EXPECT_TRUE(IsWindowEnabled(app.Control("cmdRestore")));
        EXPECT_TRUE(app.Close());
    }
    EXPECT_EQ(1u, reg::Dword(HKLM, kProductKey, kBackupFlag));
    for (const auto& [key, list] : {std::pair{kNetTrans, test::design::kNetTransValues}, {kMstcp, test::design::kMstcpValues}}) {
        for (const auto& [name, value] : test::design::Tuned(list, 1492, 1452, 47916)) {
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), reg::Type(HKLM, key, Widen(name))) << name;
            EXPECT_EQ(L" " + std::to_wstring(value), reg::String(HKLM, key, Widen(name))) << name;
        }
    }
    EXPECT_FALSE(reg::Exists(HKLM, kParameters, L"DefaultTTL"));

    RestoreFromNewStart(test, L"win98", before, program);
}

TEST_F(GuiOptimize, Windows98RunWritesNumberTextThenRestoreUndoesIt) {
    Windows98Run(L"optimize-98", {}, false);
}

#ifdef VORNIX_GUI_APP_WIN98
// The same run by the test copy that meets Windows 98's own stubs
// (tests/win9x/), the About box included. The layer's report shows it at
// work in that copy: a wide registry write through the import table fails
// with ERROR_CALL_NOT_IMPLEMENTED, MessageBoxW stays user32's own.
TEST_F(GuiOptimize, Windows98StubsAboutOptimizeAndRestore) {
    const std::wstring report = WorkFile("win9x-report.txt");
    DeleteFileW(report.c_str());
    SetEnvironmentVariableW(L"VORNIX_WIN9X_REPORT", report.c_str());
    Windows98Run(L"optimize-98-stubs", VORNIX_GUI_APP_WIN98, true);
    SetEnvironmentVariableW(L"VORNIX_WIN9X_REPORT", nullptr);
    const std::string text = ReadFile(report);
    EXPECT_NE(std::string::npos, text.find("\ncalled RegSetValueExW: 120\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\nkept user32.dll MessageBoxW\n")) << text;
}
#endif

TEST_F(GuiAbout, OkSendsTheBrowserToTheHomePage) {
    App app(L"about", L"winxp");
    ASSERT_TRUE(app.Start());
    AboutSendsTheBrowserHome(app);
    EXPECT_TRUE(app.Close());
}

// The window as a screen of 96, 120 and 144 DPI shows it: its client area
// is the layout's 9495 x 4215 twips at that DPI (the fraction dropped), every
// control lies inside it, and every caption, set in 宋体 9 points at that DPI,
// fits inside its control beside the option's button or the frame's indent.
TEST_F(GuiLayout, ControlsAndCaptionsFitTheWindowAt96120And144Dpi) {
    struct Case {
        int dpi;
        LONG width, height;  // of the client area
        int fontPixels;      // 9 points
    };
    const Case cases[] = {{96, 633, 281, 12}, {120, 791, 351, 15}, {144, 949, 421, 18}};
    const auto layout = Form1Layout();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " DPI");
        const ScreenDpi screen(static_cast<DWORD>(c.dpi));
        App app(L"dpi-" + std::to_wstring(c.dpi), L"winxp");
        ASSERT_TRUE(app.Start());
        RECT client{};
        GetClientRect(app.main(), &client);
        EXPECT_EQ(c.width, client.right);
        EXPECT_EQ(c.height, client.bottom);

        HDC dc = CreateCompatibleDC(nullptr);
        HFONT fonts[2];
        for (int bold = 0; bold < 2; ++bold) {
            fonts[bold] = CreateFontW(-c.fontPixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                                      FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, L"宋体");
        }
        for (HWND control : app.Controls()) {
            const int row = GetDlgCtrlID(control) - kFirstControlId;
            ASSERT_TRUE(row >= 0 && static_cast<std::size_t>(row) < layout.size());
            const ControlSpec& entry = layout[static_cast<std::size_t>(row)];
            SCOPED_TRACE(testing::Message() << entry.name << "(" << entry.index << ")");
            RECT box{};
            GetWindowRect(control, &box);
            MapWindowPoints(nullptr, app.main(), reinterpret_cast<POINT*>(&box), 2);
            EXPECT_GE(box.left, 0);
            EXPECT_GE(box.top, 0);
            EXPECT_LE(box.right, client.right);
            EXPECT_LE(box.bottom, client.bottom);

            const std::wstring caption = app.Text(control);
            if (caption.empty()) continue;
            SelectObject(dc, fonts[entry.font == ControlFont::SongTi9Bold ? 1 : 0]);
            SIZE text{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
            // An option's button is 13 pixels square at 96 DPI; a frame's
            // caption starts 8 pixels in.
            const int beside = entry.kind == ControlKind::OptionButton ? MulDiv(13, c.dpi, 96)
                               : entry.kind == ControlKind::Frame      ? MulDiv(8, c.dpi, 96)
                                                                       : 0;
            EXPECT_LE(text.cx + beside, box.right - box.left) << Narrow(caption);
            EXPECT_LE(text.cy, box.bottom - box.top) << Narrow(caption);
        }
        DeleteDC(dc);
        for (HFONT font : fonts) DeleteObject(font);
        EXPECT_TRUE(app.Close());
    }
}

// The file is written on NT 5.x only; the themed common controls (version 6,
// from the side-by-side store) are there from the first start on every
// system, through the manifest embedded in the executable.
TEST_F(GuiManifest, WrittenOnWindows2000AndXpOnly) {
    const std::string expected = ManifestText("Vornix Internet Optimizer", true);
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"winxp", true}, {L"win2k", true}, {L"win98", false}, {L"nt40", false}, {L"win10", false}};
    for (const auto& [version, written] : cases) {
        SCOPED_TRACE(testing::Message() << "as " << std::wstring(version));
        App app(std::wstring(L"manifest-") + version, version);
        ASSERT_TRUE(app.Start());
        const std::wstring comctl32 = app.LoadedModule(L"comctl32.dll");
        EXPECT_NE(std::wstring::npos,
                  comctl32.find(L"\\winsxs\\" + std::wstring(sizeof(void*) == 8 ? L"amd64" : L"x86") +
                                L"_microsoft.windows.common-controls_6595b64144ccf1df_6.0."))
            << Narrow(comctl32);
        EXPECT_TRUE(app.Close());
        const std::wstring manifest = app.exe() + L".manifest";
        const DWORD attributes = GetFileAttributesW(manifest.c_str());
        if (!written) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
            continue;
        }
        // Wine reports every regular file as ARCHIVE besides what was set.
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM),
                  attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
        const std::string text = ReadFile(manifest);
        EXPECT_EQ(expected, text);
        std::size_t lines = 0;
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
            ++lines;
        }
        EXPECT_EQ(22u, lines);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((manifest + L".tmp").c_str()));
    }
}

TEST_F(GuiManifest, ExistingManifestIsLeftAlone) {
    App app(L"manifest-present", L"winxp");
    const std::wstring manifest = app.exe() + L".manifest";
    const std::string own = ManifestText("Someone Else", true);
    std::ofstream(std::filesystem::path(manifest), std::ios::binary) << own;
    const DWORD attributes = GetFileAttributesW(manifest.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(attributes, GetFileAttributesW(manifest.c_str()));
    EXPECT_EQ(own, ReadFile(manifest));
}

// Wine restarts by running wineboot, which asks every window of the prefix
// to end its session and then, as after a real restart, runs the RunOnce
// entries. restart-test.sh checks what this leaves behind.
TEST_F(GuiRestart, DISABLED_AnsweringYesRestartsTheMachine) {
    App app(L"restart", L"winxp");
    ASSERT_TRUE(app.Start());
    const RunSeen run = Optimize(app, 0, 3, 0);
    ExpectClosingQuestion(app, run.closing, L"优化完成");
    HWND yes = GetDlgItem(run.closing.hwnd, IDYES);
    ASSERT_TRUE(yes);
    // The restart would end them too: another test run in the same prefix
    // is waited for, not killed.
    std::wstring others;
    if (!WaitUntil([&] { return (others = OtherPrograms(GetCurrentProcessId(), app.pid())).empty(); },
                   60000)) {
        app.Answer(run.closing, IDNO);
        FAIL() << "other programs run in the prefix: " << others;
    }
    reg::SetString(HKLM, kRunOnce, L"VornixGuiRestartProbe",
                   L"C:\\windows\\system32\\cmd.exe /c echo restarted>\"" +
                       WorkFile("restart-runonce.txt") + L"\"");
    std::ofstream(std::filesystem::path(WorkFile("restart-answered-yes.txt"))) << app.pid() << "\n";
    App::Click(yes);
    // Other programs are asked to close, not killed: this driver, which has
    // no window to ask, may live through the restart. The program must end.
    if (!WaitUntil([&] { return !app.Running(); }, 60000)) {
        std::ofstream(std::filesystem::path(WorkFile("restart-survived.txt")))
            << "program still running\n";
        reg::Delete(HKLM, kRunOnce, L"VornixGuiRestartProbe");
        FAIL() << "answering Yes did not restart the machine";
    }
}

// After the restart: the probe has run, the program is gone, and its run
// had finished before the restart.
TEST(GuiRestartAfter, DISABLED_ProgramGoneAndRunComplete) {
    EXPECT_FALSE(reg::Exists(HKLM, kRunOnce, L"VornixGuiRestartProbe"));
    EXPECT_EQ(0, MainWindowCount());
    Handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    EXPECT_FALSE(mutex.get()) << "the program's instance mutex outlived the restart";
    EXPECT_EQ(1u, reg::Dword(HKLM, kProductKey, kBackupFlag));
    EXPECT_EQ(47916u, reg::Dword(HKLM, kParameters, L"TcpWindowSize"));
    reg::Delete(HKLM, kRunOnce, L"VornixGuiRestartProbe");
    CleanMachine();
}

}  // namespace
}  // namespace vornix::gui
