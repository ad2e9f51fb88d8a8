// The console tool's portable part: its command line, its status report in
// text and JSON, and the window's runs driven without the window.
#include <gtest/gtest.h>

#include <algorithm>

#include "console/CommandLine.h"
#include "console/ConsoleTexts.h"
#include "console/ConsoleRun.h"
#include "console/StatusReport.h"
#include "engine/RunTexts.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;
using Command = CommandLine::Command;

ParsedCommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

// The value `name` the status shows, in the interface's key or in the family's own.
const ManagedValue& Shown(const Status& status, const std::string& interfaceName, const std::string& name) {
    static const ManagedValue none{};
    for (const ManagedValue& v : status.values) {
        if (v.interfaceName == interfaceName && v.name == name) return v;
    }
    ADD_FAILURE() << "not shown: " << interfaceName << " " << name;
    return none;
}

TEST(ConsoleCommandLine, TakesTheWindowsChoicesOneBasedAndRefusesTheRest) {
    const auto status = Parse({"status", "--method", "1", "--speed=10", "--json"});
    ASSERT_TRUE(status.line) << status.error;
    EXPECT_EQ(Command::Status, status.line->command);
    EXPECT_EQ(0, status.line->method);
    EXPECT_EQ(9, status.line->speed);
    EXPECT_TRUE(status.line->json);
    const auto optimize = Parse({"optimize", "--speed", "6", "--method", "2"});
    ASSERT_TRUE(optimize.line);
    EXPECT_EQ(1, optimize.line->method);
    EXPECT_EQ(5, optimize.line->speed);
    EXPECT_EQ(Command::Restore, Parse({"restore"}).line->command);
    EXPECT_EQ(Command::Backup, Parse({"backup"}).line->command);
    EXPECT_EQ(Command::Help, Parse({"--help"}).line->command);
    EXPECT_EQ(Command::Version, Parse({"--version"}).line->command);
    EXPECT_FALSE(Parse({"status"}).line->method);

    // Each refused with a reason, before anything is read or written.
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"optimise"},
        {"status", "--verbose"},
        {"status", "--method"},
        {"status", "--method", "x", "--speed", "1"},
        {"optimize", "--method", "0", "--speed", "1"},
        {"optimize", "--method", "7", "--speed", "1"},
        {"optimize", "--method", "1", "--speed", "0"},
        {"optimize", "--method", "1", "--speed", "11"},
        {"optimize", "--method", "2", "--speed", "7"},  // fibre has 6 speeds
        {"optimize", "--method", "5", "--speed", "4"},  // dial-up has 3
        {"status", "--method", "1"},
        {"optimize"},
        {"optimize", "--method", "1", "--speed", "1", "--json"},
        {"restore", "--method", "1", "--speed", "1"},
        {"backup", "--json"},
        {"backup", "--method", "1", "--speed", "1"},
    };
    for (const auto& args : refused) {
        const auto parsed = ParseCommandLine(args);
        EXPECT_FALSE(parsed.line) << testing::PrintToString(args);
        EXPECT_FALSE(parsed.error.empty()) << testing::PrintToString(args);
    }
    EXPECT_NE(std::string::npos, Parse({"optimize", "--method", "2", "--speed", "7"})
                                     .error.find("1 到 6"));

    // The whole command line, split as the C run time splits it.
    EXPECT_EQ((std::vector<std::string>{"status", "--method", "1"}),
              SplitCommandLine("\"C:\\Program Files\\vornix.exe\" status  --method\t1 "));
    EXPECT_EQ((std::vector<std::string>{"a b", "c\\d", "e\"f", "g\\", "h", "", "i\"j"}),
              SplitCommandLine(R"(vornix "a b" c\d e\"f "g\\" h "" "i""j")"));
    EXPECT_TRUE(SplitCommandLine("vornix.exe").empty());
}

TEST(ConsoleStatus, ShowsEveryManagedValueWhereTheFamilyKeepsItAndThePreview) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}", "{B\"}"});
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{A}"), "MTU", 1400);
    m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    m.reg->SaveRegString(HKLM, kTcpipParametersKey, "SackOpts", "1");
    Registry reg(m.registry, m.codePage);
    const CommandLine choice = *Parse({"status", "--method", "1", "--speed", "10"}).line;
    Status status = ReadStatus(reg, m.version, kProductKey, choice);
    EXPECT_EQ(design::Names(design::kParametersValues).size() + 2 * design::Names(design::kInterfaceValues).size(),
              status.values.size());
    EXPECT_EQ(1400, Shown(status, "{A}", "MTU").current);
    EXPECT_EQ(1492, Shown(status, "{A}", "MTU").proposed);
    EXPECT_EQ(ManagedValue::State::NotSet, Shown(status, "{A}", "TcpWindowSize").state);
    EXPECT_EQ(2337720, Shown(status, "{A}", "TcpWindowSize").proposed);
    EXPECT_EQ(ManagedValue::State::NotANumber, Shown(status, "", "SackOpts").state);

    const std::string text = StatusText(status);
    EXPECT_NE(std::string::npos, text.find("原系统配置的备份：无\n"));
    EXPECT_NE(std::string::npos, text.find("选择：DSL电缆调制解调器或电力线，100Mb 以上\n"));
    EXPECT_NE(std::string::npos, text.find("Windows 版本：5.1，内部版本 0\n"));
    EXPECT_NE(std::string::npos, text.find("  DefaultTTL            64 → 128\n"
                                           "                        此 Windows 读取：Windows 2000"));
    EXPECT_NE(std::string::npos, text.find("  TcpWindowSize         未设置（Windows 默认值） → 2337720\n"));
    EXPECT_NE(std::string::npos, text.find("接口 {A}\nHKEY_LOCAL_MACHINE\\" + m.InterfaceKey("{A}")));
    const std::string json = StatusJson(status);
    EXPECT_EQ(0u, json.find("{\"windows\":{\"platform\":2,\"family\":\"NT\",\"version\":\"5.1.0\"}"));
    EXPECT_NE(std::string::npos, json.find("\"interface\":\"{B\\\"}\""));
    EXPECT_NE(std::string::npos,
              json.find("\"name\":\"DefaultTTL\",\"state\":\"set\",\"current\":64,\"new\":128"));
    EXPECT_NE(std::string::npos, json.find("\"name\":\"SackOpts\",\"state\":\"not a number\""));

    // On Windows 10 the receive window is auto-tuning's, whatever the registry says.
    m.version.Set(2, 10, 0, 19045);
    const Status win10 = ReadStatus(reg, m.version, kProductKey, choice);
    const std::string text10 = StatusText(win10);
    EXPECT_NE(std::string::npos, text10.find("Windows 版本：10.0，内部版本 19045\n"));
    EXPECT_NE(std::string::npos,
              text10.find("  TcpWindowSize         未设置（Windows 默认值） → 2337720（不生效）\n"
                          "                        此 Windows 不读取：自 Windows Vista 起"));
    EXPECT_NE(std::string::npos, text10.find("；查看：Get-NetTCPSetting"));
    EXPECT_NE(std::string::npos, StatusJson(win10).find(
                                     "\"new\":2337720,\"windowsReads\":\"no\",\"why\":\""));
    m.version.Set(2, 5, 1);

    m.reg->DeleteRegValue(HKLM, kTcpipParametersKey, "SackOpts");
    m.Optimize();
    status = ReadStatus(reg, m.version, kProductKey, *Parse({"status"}).line);
    EXPECT_EQ(StoredBackup::State::Complete, status.held.backups[1].state);
    EXPECT_FALSE(Shown(status, "", "TcpWindowSize").proposed);
    EXPECT_NE(std::string::npos, StatusText(status).find("原系统配置的备份：有，Windows NT/2000/XP"));

    TestMachine w(Windows::Win98);
    w.StockWin98();
    w.reg->SaveRegString(HKLM, kNetTransKey, "MaxMTU", "576");
    Registry reg98(w.registry, w.codePage);
    const Status win98 = ReadStatus(reg98, w.version, kProductKey, *Parse({"status", "--json"}).line);
    EXPECT_EQ(design::Names(design::kNetTransValues).size() + design::Names(design::kMstcpValues).size(),
              win98.values.size());
    EXPECT_EQ(576, Shown(win98, "", "MaxMTU").current);
    EXPECT_NE(std::string::npos, StatusJson(win98).find(
                                     "\"name\":\"MaxMTU\",\"state\":\"set\",\"current\":576,\"text\":\"576\""));
}

class CapturedOutput final : public ConsoleOutput {
public:
    void Out(const std::string& text) override { out += text; }
    void Err(const std::string& text) override { err += text; }
    std::string out, err;
};

// A run of the console tool on the machine: its exit code and what it told.
template <class Body>
std::pair<ExitCode, CapturedOutput> runOn(TestMachine& on, Body body) {
    CapturedOutput output;
    ConsoleRun console(SystemServices{on.registry, on.codePage, on.version, on.shutdown, {}, design::kProductName},
                       output);
    const ExitCode code = body(console);
    return {code, output};
}
const auto restore = [](ConsoleRun& c) { return c.Restore(); };
const auto optimize = [](ConsoleRun& c) { return c.Optimize(0, 0); };

// `vornix backup`: whether a restore can be made, read without writing; and
// `vornix backup --set-aside`.
BackupAnswer backup(TestMachine& on) {
    Registry reg(on.registry, on.codePage);
    clsOS os(on.version);
    const std::string store = on.StoreState();
    BackupAnswer answer = AnswerBackup(reg, os, kProductKey);
    EXPECT_EQ(store, on.StoreState());
    return answer;
}
BackupAnswer setAside(TestMachine& on) {
    Registry reg(on.registry, on.codePage);
    clsOS os(on.version);
    return SetAsideBackup(reg, os, kProductKey);
}

TEST(ConsoleRun, RunsAsTheWindowDoesButNeverRestarts) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    const std::string before = m.MachineState();
    auto run = [&](auto body) { return runOn(m, body); };

    EXPECT_EQ(ExitCode::NoBackup, backup(m).code);
    EXPECT_EQ("原系统配置的备份：无\n", backup(m).text);
    auto [noBackup, told] = run(restore);
    EXPECT_EQ(ExitCode::NoBackup, noBackup);
    EXPECT_NE(std::string::npos, told.err.find(text::kReasonNoBackup));
    EXPECT_EQ(before, m.MachineState());

    auto [optimized, output] = run([](ConsoleRun& c) { return c.Optimize(0, 9); });
    EXPECT_EQ(ExitCode::Done, optimized);
    EXPECT_NE(std::string::npos, output.out.find("接收窗口 (RWIN)\t\t= 2337720 字节"));
    EXPECT_NE(std::string::npos, output.out.find("优化完成。请重新启动您的系统\r\n为使更改生效。\n"));
    EXPECT_EQ(std::string::npos, output.out.find(text::kRestartQuestion));
    EXPECT_EQ(2337720, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{A}"), "TcpWindowSize"));
    EXPECT_TRUE(m.shutdown.calls.empty());
    EXPECT_EQ(ExitCode::Done, backup(m).code);

    // A refused write asks for administrator rights; any other failure does not.
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        const bool write = c.op == MemoryRegistryApi::Op::Set || c.op == MemoryRegistryApi::Op::DeleteValue;
        return write ? kErrorAccessDenied : kErrorSuccess;
    });
    EXPECT_EQ(ExitCode::NeedsAdmin, run(restore).first);
    // A store that cannot be read is no answer either way.
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::Query ? kErrorInvalidHandle : kErrorSuccess;
    });
    EXPECT_EQ(ExitCode::NotCompleted, run(restore).first);
    EXPECT_EQ(ExitCode::NotCompleted, backup(m).code);
    m.registry.SetFaultHook({});
    EXPECT_EQ(ExitCode::Done, run(restore).first);
    EXPECT_EQ(before, m.MachineState());

    // On a Windows the program does not know there is nothing to restore
    // with, yet no backup is still no backup.
    TestMachine other(Windows::Win32s);
    EXPECT_EQ(ExitCode::NoBackup, runOn(other, restore).first);
    EXPECT_EQ(ExitCode::NoBackup, backup(other).code);
    other.version.Set(2, 5, 1);
    other.StockXP({"{A}"});
    other.Optimize();
    // Only the other family's backup: there is a backup, none for this Windows.
    other.version.Set(1, 4, 10);
    auto [otherFamily, toldOther] = runOn(other, restore);
    EXPECT_EQ(ExitCode::NotCompleted, otherFamily);
    EXPECT_NE(std::string::npos, toldOther.err.find(text::kReasonNoBackup));
    EXPECT_EQ(ExitCode::NotCompleted, backup(other).code);
    const std::string heldNT = "原系统配置的备份：有，Windows NT/2000/XP 及更高版本\n";
    EXPECT_EQ(heldNT, backup(other).text);
    other.version.Set(0, 0, 0);
    EXPECT_EQ(ExitCode::NotCompleted, runOn(other, restore).first);
    EXPECT_EQ(ExitCode::NotCompleted, backup(other).code);
    // And status tells the backup there too.
    Registry reg(other.registry, other.codePage);
    EXPECT_NE(std::string::npos,
              StatusText(ReadStatus(reg, other.version, kProductKey, *Parse({"status"}).line))
                  .find(heldNT));
}

// `vornix backup --set-aside` moves a damaged store aside whole, changes
// nothing but the product key, and lets the next optimize back up afresh; a
// complete or absent store it leaves alone. A copy set aside counts as a
// backup for every reader of the store, and the optimize that backs up
// afresh beside it says so, naming it.
TEST(ConsoleRun, ADamagedBackupIsSetAsideWholeAndTheNextOptimizeBacksUpAgain) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    Registry reg(m.registry, m.codePage);
    EXPECT_EQ(ExitCode::NoBackup, setAside(m).code);
    m.Optimize();
    const std::string tuned = m.MachineState();
    const std::string complete = m.StoreState();
    EXPECT_EQ(ExitCode::NotCompleted, setAside(m).code);
    EXPECT_EQ(complete, m.StoreState());

    const std::string nt = FamilyKey(kProductKey, Family::NT);
    std::vector<std::string> copies;
    for (const char* n : {"1", "2"}) {
        m.reg->SaveRegWord(HKLM, nt, "BackupFormat", 7);  // damaged: a format it cannot read
        const std::string damaged = m.TreeState(nt);
        m.Optimize();
        EXPECT_EQ(text::kStatusBackupFailed, m.controls.lblOptimizeStatus.caption);
        EXPECT_NE(std::string::npos, m.controls.boxes.shown.back().prompt.find("vornix backup --set-aside"));
        const BackupAnswer moved = setAside(m);
        EXPECT_EQ(ExitCode::Done, moved.code) << moved.text;
        copies.push_back(nt + ".damaged-" + n);
        EXPECT_NE(std::string::npos, moved.text.find(copies.back()));
        // The same keys and values, under the new name; the flag stays.
        EXPECT_EQ("", m.TreeState(nt));
        EXPECT_EQ(damaged, m.TreeState(copies.back()));
        EXPECT_EQ(tuned, m.MachineState());
        EXPECT_TRUE(m.FlagSet());

        // Only copies: a backup, though none this Windows can restore.
        const BackupAnswer held = backup(m);
        EXPECT_EQ(ExitCode::NotCompleted, held.code);
        EXPECT_NE(std::string::npos, held.text.find("移到一旁的备份：HKEY_LOCAL_MACHINE\\" + copies.back() + "\n"));
        const Status status = ReadStatus(reg, m.version, kProductKey, *Parse({"status"}).line);
        EXPECT_NE(std::string::npos, StatusText(status).find(
                                         copies.back() + "\n  BackupFormat          7\n  MTU                   "));
        EXPECT_NE(std::string::npos, StatusText(status).find("  Interfaces\\{A}        \"MTU=-;TcpWindowSize=-\"\n"));
        EXPECT_NE(std::string::npos, StatusJson(status).find(
            "\"name\":\"BackupFormat\",\"type\":\"REG_DWORD\",\"number\":7}"));
        EXPECT_NE(std::string::npos, StatusJson(status).find(
            "{\"subkey\":\"Interfaces\",\"name\":\"{A}\",\"type\":\"REG_SZ\",\"text\":\"MTU=-;TcpWindowSize=-\"}"));

        // Backs up the machine as it is now, and tunes it, saying where the
        // copies are: the window in its closing box, the console tool on
        // its output.
        std::string told;
        if (*n == '1') {
            m.Optimize();
            EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
            told = m.controls.boxes.shown.back().prompt;
            EXPECT_EQ(0u, told.find(RestartNeededText(RunKind::Optimize) + text::kRestartQuestion + "\r\n\r\n"));
        } else {
            auto [code, output] = runOn(m, optimize);
            EXPECT_EQ(ExitCode::Done, code);
            told = output.out;
        }
        EXPECT_NE(std::string::npos, told.find(text::FreshBackupBesideCopies(copies))) << told;
        EXPECT_EQ(ExitCode::BackupBesideCopies, backup(m).code);
    }
    m.Restore();
    EXPECT_EQ(tuned, m.MachineState()) << "the fresh backup holds the values of its time";
    EXPECT_EQ(2u, ReadBackups(reg, kProductKey).copies.size()) << "a restore leaves the copies alone";
}

// Every subkey with a copy's prefix is a copy, whatever follows it: no
// reader may take a product key that holds one for empty.
TEST(ConsoleRun, EveryCopyIsCountedByItsPrefix) {
    const std::string nt = design::StoreKey(false);
    for (const char* suffix : {"0", "1000000", "Two", ""}) {
        TestMachine m(Windows::XP);
        m.reg->SaveRegWord(HKLM, nt + ".damaged-" + suffix, "MTU", 1400);
        const BackupAnswer held = backup(m);
        EXPECT_EQ(ExitCode::NotCompleted, held.code) << suffix;
        EXPECT_NE(std::string::npos, held.text.find(nt + ".damaged-" + suffix + "\n")) << suffix;
        EXPECT_EQ(ExitCode::NotCompleted, runOn(m, restore).first) << suffix;
    }
}

// The copies set aside are listed apart from the backup: a listing that
// fails stops no run and hides no Restore, and where the copies matter (the
// console tool's answers) it is said, and never answered as "nothing there".
TEST(ConsoleRun, CopiesThatCannotBeListedStopNothingAndAreNeverTakenForNone) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    m.form->Form_Load("C:\\", "VornixInternetOptimizer");
    const std::string unlisted = text::Naming(text::kCopiesNotListed, kProductKey);
    auto unlist = [](TestMachine& on) {
        on.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
            return c.op == MemoryRegistryApi::Op::EnumKey && c.path == kProductKey ? 1009L : kErrorSuccess;
        });
    };
    unlist(m);
    EXPECT_EQ(ExitCode::NotCompleted, backup(m).code) << "no backup, but copies may be there";
    EXPECT_NE(std::string::npos, backup(m).text.find(unlisted));
    EXPECT_EQ(ExitCode::NotCompleted, runOn(m, restore).first);
    m.Optimize();
    EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(RestartNeededText(RunKind::Optimize) + text::kRestartQuestion, m.controls.boxes.shown.back().prompt);
    EXPECT_EQ(ExitCode::BackupBesideCopies, backup(m).code) << "a restore, and the key kept";
    Registry reg(m.registry, m.codePage);
    const Status status = ReadStatus(reg, m.version, kProductKey, *Parse({"status"}).line);
    EXPECT_NE(std::string::npos, StatusText(status).find(unlisted));
    EXPECT_NE(std::string::npos, StatusJson(status).find("\"setAsideListed\":false"));
    m.registry.SetFaultHook({});
    TestMachine again(Windows::XP);
    again.form->BackupSettings();
    unlist(again);
    again.form->Form_Load("C:\\", "VornixInternetOptimizer");
    EXPECT_TRUE(again.controls.cmdRestore.enabled);
    EXPECT_EQ(text::kStatusBackupExists, again.controls.lblOptimizeStatus.caption);

    // A damaged store is not moved while the copies beside it are unknown.
    m.reg->SaveRegWord(HKLM, design::StoreKey(false), "BackupFormat", 7);
    const std::string store = m.StoreState();
    unlist(m);
    const BackupAnswer refused = setAside(m);
    EXPECT_EQ(ExitCode::NotCompleted, refused.code);
    EXPECT_NE(std::string::npos, refused.text.find(unlisted));
    m.registry.SetFaultHook({});
    EXPECT_EQ(store, m.StoreState());
}

// A set-aside whose delete is refused part-way leaves the copy whole and a
// remainder that reads as damaged: no restore takes it for a backup and
// reports success while the interfaces keep their tuned values.
TEST(ConsoleRun, ASetAsideCutShortLeavesNoBackupBehind) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{A}"), "MTU", 1400);
    m.Optimize();
    const std::string nt = design::StoreKey(false);
    m.reg->SaveRegString(HKLM, nt + "\\Interfaces", "{A}", "MTU=14x0;TcpWindowSize=-");
    m.registry.SetFaultHook([&](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::DeleteKey && c.path == nt ? kErrorAccessDenied : kErrorSuccess;
    });
    const BackupAnswer cut = setAside(m);
    m.registry.SetFaultHook({});
    EXPECT_EQ(ExitCode::NeedsAdmin, cut.code) << cut.text;
    EXPECT_NE(std::string::npos, cut.text.find(text::kSetAsideCopied + ("HKEY_LOCAL_MACHINE\\" + nt + ".damaged-1")));
    const std::string tuned = m.MachineState();
    m.Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(tuned, m.MachineState());
    EXPECT_NE(std::string::npos, backup(m).text.find(text::kBackupDamaged));
}

// Windows 95/98/ME has no administrator rights: a write it refuses is
// reported as refused, with no advice to run as administrator, and the
// console tool answers 1 there, never 3.
TEST(ConsoleRun, OnWindows98ARefusedWriteAsksForNoAdministratorRights) {
    TestMachine m(Windows::Win98);
    m.StockWin98();
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::Set ? kErrorAccessDenied : kErrorSuccess;
    });
    auto [code, told] = runOn(m, optimize);
    EXPECT_EQ(ExitCode::NotCompleted, code);
    EXPECT_EQ(std::string(text::kBackupFailedMessage) + "\r\n\r\n" + text::kReasonWriteRefused + "\n", told.err);
    m.registry.SetFaultHook({});
    m.Optimize();
    m.reg->SaveRegWord(HKLM, design::StoreKey(true), "BackupFormat", 7);
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::Set ? kErrorAccessDenied : kErrorSuccess;
    });
    EXPECT_EQ(ExitCode::NotCompleted, setAside(m).code);
}

}  // namespace
}  // namespace vornix::test
