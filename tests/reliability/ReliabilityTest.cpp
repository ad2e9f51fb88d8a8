// The real program under Wine.
// Kills: TerminateProcess (no chance to clean up) at reproducible random moments
// of its optimize and restore runs, as Windows XP and as Windows 98. After
// each kill the backup store is inspected, the program is started again and
// a restore run is finished; the machine's TCP/IP trees must then equal what
// they were before the tool ever ran. VORNIX_KILLS (timed kills per
// version), VORNIX_AIMED_KILLS and VORNIX_KILL_RANDOM_START override the defaults
// to search harder by hand; the test command uses the defaults.
// HklmStep: the steps of hklm-diff-test.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gui/GuiDriver.h"

#include <commctrl.h>  // after <windows.h>, which GuiDriver.h brings

namespace vornix::gui {
namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const wchar_t* const kKillInterfaces[] = {L"{VORNIX-REL-A}", L"{VORNIX-REL-B}", L"{VORNIX-REL-C}"};
constexpr DWORD kStepTimeoutMs = 15000;

std::wstring Itf(int i) { return kInterfaces + L"\\" + kKillInterfaces[i]; }

// One Windows version's machine before the tool: some values present, some
// absent, and (as XP) three interfaces, one without any values.
struct Machine {
    const wchar_t* version;
    std::wstring familyKey;
    // The family key's plain values as the backup must hold them
    // (GuiDriver's "type:data" form), and the names it must list as absent.
    std::map<std::wstring, std::wstring> plain;
    std::set<std::wstring> absent;
    // Interface name -> record (XP only).
    std::map<std::wstring, std::wstring> records;
    void (*setUp)();
};

void CleanKillMachine() { CleanMachine({std::begin(kKillInterfaces), std::end(kKillInterfaces)}); }

void SetUpXp() {
    reg::SetDword(HKLM, Itf(0), L"MTU", 1400);
    reg::SetDword(HKLM, Itf(0), L"TcpWindowSize", 64240);
    reg::SetDword(HKLM, Itf(1), L"MTU", 1500);
    reg::CreateKey(HKLM, Itf(2));
    reg::SetDword(HKLM, kParameters, L"DefaultTTL", 64);
    reg::SetDword(HKLM, kParameters, L"SackOpts", 0);
}

// Number text as the program writes it (a blank before the digits): a
// restore gives back the number in that form, not the original's spelling.
void SetUp98() {
    reg::SetString(HKLM, kNetTrans, L"MaxMTU", L" 576");
    reg::SetString(HKLM, kMstcp, L"DefaultTTL", L" 32");
    reg::SetString(HKLM, kMstcp, L"Tcp1323Opts", L" 0");
}

// The store's plain values as the backup must hold them: those the machine
// held, and the others of the design's list absent and stored as 0.
void Stored(Machine& m, const char* list, std::map<std::wstring, std::wstring> held, const wchar_t* zero) {
    for (const std::string& name : test::design::Names(list)) {
        const std::wstring wide = Widen(name);
        if (!held.count(wide)) m.absent.insert(wide);
        m.plain[wide] = held.count(wide) ? held[wide] : zero;
    }
}

Machine Xp() {
    Machine m{L"winxp", Widen(test::design::StoreKey(false)), {}, {}, {}, SetUpXp};
    // "MTU" is the last interface's: Wine lists subkeys by name, and C has none.
    Stored(m, test::design::kNtStoreValues, {{L"DefaultTTL", L"dword:64"}, {L"SackOpts", L"dword:0"}}, L"dword:0");
    m.records = {{kKillInterfaces[0], L"sz1:MTU=1400;TcpWindowSize=64240"},
                 {kKillInterfaces[1], L"sz1:MTU=1500;TcpWindowSize=-"},
                 {kKillInterfaces[2], L"sz1:MTU=-;TcpWindowSize=-"}};
    return m;
}

Machine Win98() {
    Machine m{L"win98", Widen(test::design::StoreKey(true)), {}, {}, {}, SetUp98};
    Stored(m, test::design::kWin9xStoreValues,
           {{L"MaxMTU", L"sz1: 576"}, {L"DefaultTTL", L"sz1: 32"}, {L"Tcp1323Opts", L"sz1: 0"}}, L"sz1: 0");
    return m;
}

// The machine as it was before the tool: no product key, no tuned values.
std::map<std::wstring, std::wstring> ResetMachine(const Machine& m) {
    CleanKillMachine();
    m.setUp();
    return TcpipState();
}

std::set<std::wstring> SplitList(const std::wstring& list) {
    std::set<std::wstring> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(L',', start);
        if (end == std::wstring::npos) end = list.size();
        if (end > start) names.insert(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// What the store lacks or holds wrongly, compared with a complete backup of
// the machine; empty when it is complete.
std::vector<std::wstring> StoreProblems(const Machine& m) {
    std::vector<std::wstring> problems;
    const auto store = reg::Snapshot(HKLM, m.familyKey);
    auto at = [&](const std::wstring& sub, const std::wstring& name) {
        const auto it = store.find(m.familyKey + sub + L"|" + name);
        return it == store.end() ? std::wstring(L"(missing)") : it->second;
    };
    for (const auto& [name, value] : m.plain) {
        if (at(L"", name) != value) problems.push_back(name + L"=" + at(L"", name));
    }
    if (reg::Type(HKLM, m.familyKey, L"AbsentValues") != REG_SZ ||
        SplitList(reg::String(HKLM, m.familyKey, L"AbsentValues")) != m.absent) {
        problems.push_back(L"AbsentValues=" + at(L"", L"AbsentValues"));
    }
    if (at(L"", L"BackupFormat") != L"dword:" + Widen(test::design::kStoreFormat)) {
        problems.push_back(L"BackupFormat=" + at(L"", L"BackupFormat"));
    }
    for (const auto& [itf, record] : m.records) {
        if (at(L"\\Interfaces", itf) != record) {
            problems.push_back(L"Interfaces\\" + itf + L"=" + at(L"\\Interfaces", itf));
        }
    }
    return problems;
}

bool FlagSet() { return reg::Dword(HKLM, kProductKey, kBackupFlag) == 1; }

int Progress(const App& app) {
    return static_cast<int>(SendMessageW(app.Control("pgbOptimize"), PBM_GETPOS, 0, 0));
}

// Chooses DSL at 2 Mbit/s, clicks Optimize and answers the summary with OK.
bool StartOptimize(const App& app) {
    App::Click(app.Control("optInternetMethod", 0));
    // The panel's options are made when it first shows.
    if (!WaitUntil([&] { return IsWindowVisible(app.SpeedOption(0, 3)) != FALSE; }, kStepTimeoutMs)) {
        return false;
    }
    App::Click(app.SpeedOption(0, 3));
    App::Click(app.Control("cmdOptimize"));
    const MessageBoxSeen summary = app.NextBox();
    return summary.hwnd && app.Answer(summary, IDOK);
}

// Clicks Restore and answers the question with Yes.
bool StartRestore(const App& app) {
    if (!IsWindowEnabled(app.Control("cmdRestore"))) return false;
    App::Click(app.Control("cmdRestore"));
    const MessageBoxSeen question = app.NextBox();
    return question.hwnd && question.text == L"你想恢复到原来的TCP/IP配置。" &&
           app.Answer(question, IDYES);
}

// Lets a started run do its registry work: true once the step after 20 has
// begun (the run touches the registry at steps 10 and 20 only).
bool PastRegistryWork(const App& app) {
    return WaitUntil([&] { return Progress(app) > 20; }, kStepTimeoutMs);
}

// Ends a started run. In full: waits for its closing question, answers No
// and checks the status line; otherwise waits until its registry work is
// done and closes the window, as a user may. Then the program must end with
// code 0.
bool FinishRun(App& app, bool full, const std::wstring& closingHead, const std::wstring& status) {
    if (full) {
        const MessageBoxSeen closing = app.NextBox();
        if (!closing.hwnd || closing.title != L"推荐" || closing.text.rfind(closingHead, 0) != 0 ||
            !app.Answer(closing, IDNO) || app.Text(app.Control("lblOptimizeStatus")) != status) {
            return false;
        }
    } else if (!PastRegistryWork(app)) {
        return false;
    }
    return app.Close();
}

bool FinishOptimize(App& app, bool full) {
    return FinishRun(app, full, L"优化完成", L"原配置的备份已经存在。你可以使用'还原按钮'将其还原。");
}

bool FinishRestore(App& app, bool full) {
    return FinishRun(app, full, L"您的TCP/IP参数已恢复到了原有值", L"系统配置已恢复成功。");
}

// "key|name: before -> after" for every value that differs.
std::wstring Differences(const std::map<std::wstring, std::wstring>& before,
                         const std::map<std::wstring, std::wstring>& after) {
    std::set<std::wstring> paths;
    for (const auto& [path, value] : before) paths.insert(path);
    for (const auto& [path, value] : after) paths.insert(path);
    std::wstring out;
    for (const auto& path : paths) {
        const auto b = before.find(path);
        const auto a = after.find(path);
        const std::wstring was = b == before.end() ? L"(absent)" : b->second;
        const std::wstring now = a == after.end() ? L"(absent)" : a->second;
        if (was != now) out += L"\n    " + path + L": [" + was + L"] -> [" + now + L"]";
    }
    return out;
}

enum class Mode { Optimize, Restore };

// One kill. Timed: `delayMs` after the box that starts the run was answered.
// Aimed: as soon as the registry shows that step `step` has begun writing,
// plus `extraUs` (timed kills almost never land inside the steps, which
// take a few milliseconds under Wine).
struct Plan {
    Mode mode = Mode::Optimize;
    DWORD delayMs = 0;
    int step = 0;  // 0: timed
    unsigned extraUs = 0;
    bool full = false;  // the restore afterwards runs to its closing question
};

// The first write of each step, as the registry shows it: the store's
// family key (backup), the first interface's or MaxMTU's new value (apply),
// its old value again (restore).
bool StepBegun(const Machine& m, Mode mode, int step) {
    if (step == 10) return reg::KeyExists(HKLM, m.familyKey);
    const bool tuned = mode == Mode::Optimize;
    if (!m.records.empty()) return reg::Dword(HKLM, Itf(0), L"MTU") == (tuned ? 1492u : 1400u);
    return reg::String(HKLM, kNetTrans, L"MaxMTU") == (tuned ? L" 1492" : L" 576");
}

void SpinMicroseconds(unsigned us) {
    LARGE_INTEGER frequency, now, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&end);
    end.QuadPart += frequency.QuadPart * us / 1000000;
    do {
        QueryPerformanceCounter(&now);
    } while (now.QuadPart < end.QuadPart);
}

struct Tally {
    int kills = 0;
    int flagSet = 0;
    int flagSetIncomplete = 0;     // must stay 0
    int noFlagMachineChanged = 0;  // must stay 0
    int notRestored = 0;           // must stay 0
    int driverTrouble = 0;         // must stay 0
    std::map<std::string, int> phases;  // where the kills landed
};

// Where a kill landed, from what it left behind.
const char* Phase(const Machine& m, Mode mode, bool flag,
                  const std::map<std::wstring, std::wstring>& now,
                  const std::map<std::wstring, std::wstring>& before,
                  const std::map<std::wstring, std::wstring>& tuned) {
    if (mode == Mode::Restore) {
        return now == tuned ? "restore: before step 20" : now == before ? "restore: after step 20"
                                                                         : "restore: inside step 20";
    }
    if (!flag) return reg::KeyExists(HKLM, m.familyKey) ? "optimize: inside step 10" : "optimize: before step 10";
    return now == before ? "optimize: between steps 10 and 20"
                         : now == tuned ? "optimize: after step 20" : "optimize: inside step 20";
}

// One kill, then the store is inspected and a restore run finished from a
// new start.
void KillOnce(const Machine& m, const Plan& plan, const std::map<std::wstring, std::wstring>& tuned,
              Tally& tally, std::wstring& log) {
    const auto before = ResetMachine(m);
    const std::wstring where =
        std::wstring(m.version) + (plan.mode == Mode::Optimize ? L" optimize" : L" restore") +
        (plan.step ? L" step " + std::to_wstring(plan.step) + L" +" + std::to_wstring(plan.extraUs) + L"us"
                   : L" +" + std::to_wstring(plan.delayMs) + L"ms");
    auto trouble = [&](const wchar_t* what) {
        ++tally.driverTrouble;
        log += where + L": " + what + L"\n";
    };
    if (plan.mode == Mode::Restore) {
        // A machine optimized with a complete backup.
        App app(L"kill", m.version);
        if (!app.Start() || !StartOptimize(app) || !FinishOptimize(app, false)) {
            return trouble(L"the optimize run before the restore did not finish");
        }
    }
    {
        App app(L"kill", m.version);
        if (!app.Start()) return trouble(L"no main window");
        Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, app.pid()));
        if (!process.get()) return trouble(L"no handle to kill with");
        if (!(plan.mode == Mode::Restore ? StartRestore(app) : StartOptimize(app))) {
            return trouble(L"the run did not start");
        }
        if (plan.step) {
            // Polled without pause: each look is a round trip to the wineserver.
            const ULONGLONG end = GetTickCount64() + kStepTimeoutMs;
            while (!StepBegun(m, plan.mode, plan.step) && GetTickCount64() < end) {
            }
            SpinMicroseconds(plan.extraUs);
        } else {
            Sleep(plan.delayMs);
        }
        TerminateProcess(process.get(), 137);
        if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
            return trouble(L"the kill did not end the program");
        }
        ++tally.kills;
    }

    const bool flag = FlagSet();
    const auto now = TcpipState();
    ++tally.phases[Phase(m, plan.mode, flag, now, before, tuned)];
    if (flag) {
        ++tally.flagSet;
        const auto problems = StoreProblems(m);
        if (!problems.empty()) {
            ++tally.flagSetIncomplete;
            log += where + L": flag set, store incomplete:";
            for (const auto& p : problems) log += L" " + p;
            log += L"\n";
        }
    } else if (now != before) {
        ++tally.noFlagMachineChanged;
        log += where + L": no flag, yet the machine's TCP/IP values changed:" +
               Differences(before, now) + L"\n";
    }

    if (!flag) {
        // No backup, so Restore is disabled: the user optimizes again, which
        // backs up over whatever the killed run left.
        App again(L"kill", m.version);
        if (!again.Start()) return trouble(L"no main window after the kill");
        if (IsWindowEnabled(again.Control("cmdRestore"))) {
            return trouble(L"Restore enabled without a backup");
        }
        if (!StartOptimize(again) || !FinishOptimize(again, false)) {
            return trouble(L"the optimize run after the kill did not finish");
        }
        if (const auto problems = StoreProblems(m); !FlagSet() || !problems.empty()) {
            ++tally.flagSetIncomplete;
            log += where + L": the backup taken after the kill is incomplete\n";
        }
    }
    App again(L"kill", m.version);
    if (!again.Start()) return trouble(L"no main window for the restore");
    if (!StartRestore(again) || !FinishRestore(again, plan.full)) {
        return trouble(L"the restore run after the kill did not finish");
    }
    if (const auto restored = TcpipState(); restored != before) {
        ++tally.notRestored;
        log += where + L": the restore did not give back the machine's values:" +
               Differences(before, restored) + L"\n";
    }
}

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

// Timed kills with delays stratified over 0..1200 ms (one per slice, random
// within it), optimize and restore runs alternating; aimed kills at steps
// 10 and 20 of optimize runs and 20 of restore runs, 0..150 us after the
// step's first write. The generator starts from a fixed number, so a run can be repeated.
void KillRuns(const Machine& m, unsigned startOffset) {
    const unsigned timed = EnvNumber("VORNIX_KILLS", 16);
    const unsigned aimed = EnvNumber("VORNIX_AIMED_KILLS", 10);
    const unsigned randomStart = EnvNumber("VORNIX_KILL_RANDOM_START", 20240611) + startOffset;
    std::mt19937 random(randomStart);
    std::vector<Plan> plans;
    const double slice = 1200.0 / timed;
    for (unsigned i = 0; i < timed; ++i) {
        std::uniform_real_distribution<double> within(i * slice, (i + 1) * slice);
        plans.push_back({i % 2 ? Mode::Restore : Mode::Optimize, static_cast<DWORD>(within(random)),
                         0, 0, false});
    }
    std::shuffle(plans.begin(), plans.end(), random);  // the delays, not the modes
    std::uniform_int_distribution<unsigned> extra(0, 150);
    for (unsigned i = 0; i < aimed; ++i) {
        const Mode mode = i % 3 == 2 ? Mode::Restore : Mode::Optimize;
        plans.push_back({mode, 0, i % 3 == 0 ? 10 : 20, extra(random), false});
    }
    std::shuffle(plans.begin(), plans.end(), random);
    for (std::size_t i = 0; i < plans.size() && i < 2; ++i) plans[i].full = true;

    // The machine as a finished optimize run leaves it.
    ResetMachine(m);
    std::map<std::wstring, std::wstring> tuned;
    {
        App app(L"kill", m.version);
        ASSERT_TRUE(app.Start() && StartOptimize(app) && FinishOptimize(app, true));
        tuned = TcpipState();
    }

    Tally tally;
    std::wstring log;
    const ULONGLONG start = GetTickCount64();
    for (const Plan& plan : plans) KillOnce(m, plan, tuned, tally, log);
    CleanKillMachine();
    std::printf(
        "kill-test %ls random start %u: %d kills (%u timed, %u aimed), flag set after %d; "
        "flagged stores incomplete %d, unflagged machines changed %d, not restored %d, "
        "driver trouble %d; %llu s\n",
        m.version, randomStart, tally.kills, timed, aimed, tally.flagSet, tally.flagSetIncomplete,
        tally.noFlagMachineChanged, tally.notRestored, tally.driverTrouble,
        (GetTickCount64() - start) / 1000);
    for (const auto& [phase, count] : tally.phases) {
        std::printf("kill-test %ls   %s: %d\n", m.version, phase.c_str(), count);
    }
    std::fflush(stdout);
    EXPECT_EQ(static_cast<int>(timed + aimed), tally.kills);
    EXPECT_EQ(0, tally.flagSetIncomplete);
    EXPECT_EQ(0, tally.noFlagMachineChanged);
    EXPECT_EQ(0, tally.notRestored);
    EXPECT_EQ(0, tally.driverTrouble);
    EXPECT_TRUE(log.empty()) << Narrow(log);
}

TEST(KillDuringRun, WindowsXpStoreIsCompleteWheneverFlaggedAndRestoreGivesBackTheMachine) {
    KillRuns(Xp(), 0);
}

TEST(KillDuringRun, Windows98StoreIsCompleteWheneverFlaggedAndRestoreGivesBackTheMachine) {
    KillRuns(Win98(), 1);
}

// The steps of hklm-diff-test.sh, which exports HKLM between them.
void Prepare(const Machine& m) { ResetMachine(m); }

void OptimizeRun(const Machine& m) {
    App app(L"hklm", m.version);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(StartOptimize(app));
    EXPECT_TRUE(FinishOptimize(app, true));
}

void RestoreRun(const Machine& m) {
    App app(L"hklm", m.version);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(StartRestore(app));
    EXPECT_TRUE(FinishRestore(app, true));
}

TEST(HklmStep, DISABLED_PrepareXp) { Prepare(Xp()); }
TEST(HklmStep, DISABLED_OptimizeXp) { OptimizeRun(Xp()); }
TEST(HklmStep, DISABLED_RestoreXp) { RestoreRun(Xp()); }
TEST(HklmStep, DISABLED_Prepare98) { Prepare(Win98()); }
TEST(HklmStep, DISABLED_Optimize98) { OptimizeRun(Win98()); }
TEST(HklmStep, DISABLED_Restore98) { RestoreRun(Win98()); }
// The console tool while the window runs: both would work on the one
// HKLM, so the tool refuses (exit code 4) and changes nothing.
TEST(HklmStep, DISABLED_ToolRefusedWhileWindowRuns) {
    const auto before = TcpipState();
    App app(L"hklm", L"winxp");
    ASSERT_TRUE(app.Start());
    std::wstring commandLine = L"\"" + DosPath(VORNIX_TOOL) + L"\" optimize --method 1 --speed 4";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    const Handle tool(pi.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tool.get(), kStepTimeoutMs));
    DWORD code = 0;
    GetExitCodeProcess(tool.get(), &code);
    EXPECT_EQ(4u, code);
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(before, TcpipState());
}

TEST(HklmStep, DISABLED_Clean) {
    CleanKillMachine();
}

}  // namespace
}  // namespace vornix::gui
