// The staged run driven tick by tick: texts, the order of its steps, the
// closing question, ticks that arrive while a step or a message box is still
// running, and runs that could not do their work.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/RunTexts.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;

const char* kSummaryNT =
    "您的互联网连接将被优化的更快\r\n"
    "TCP/IP参数如下：\r\n\r\n"
    "最大传输单元 (MTU)\t= 1492 字节\r\n"
    "接收窗口 (RWIN)\t\t= 24684 字节\r\n"
    "生存时间 (TTL)\t\t\t= 128 hops\r\n"
    "PMTU 黑洞检测\t\t= 0\r\n"
    "PMTU 检测\t\t\t= 1\r\n"
    "选择性确认 (SACK)\t= 1\r\n"
    "RFC 1323 选项\t\t\t= 1";

TEST(RunDriver, OptimizeWithoutAMethodWarnsAndStartsTheBlinkOnly) {
    TestMachine m(Windows::XP);
    m.form->cmdOptimize_Click();
    ASSERT_EQ(1u, m.controls.boxes.shown.size());
    EXPECT_EQ(text::kChooseMethodPrompt, m.controls.boxes.shown[0].prompt);
    EXPECT_EQ(text::kNotOptimizedTitle, m.controls.boxes.shown[0].title);
    EXPECT_EQ(kMbIconExclamation, m.controls.boxes.shown[0].style);
    EXPECT_TRUE(m.controls.tmrBlink.enabled);
    EXPECT_FALSE(m.controls.tmrOptimize.enabled);
    EXPECT_EQ(TuningSet{}, m.form->tuning());

    m.form->tmrBlink_Timer();
    EXPECT_TRUE(m.controls.Label1.visible);
    m.form->optInternetMethod_Click(3);  // mid-blink: the border goes at once
    EXPECT_FALSE(m.controls.Label1.visible);
    EXPECT_FALSE(m.controls.tmrBlink.enabled);
    EXPECT_TRUE(m.controls.lblNext1.visible);
    EXPECT_EQ(4, m.form->intInternetMethod());
    for (std::size_t j = 0; j < m.controls.panels.size(); ++j) EXPECT_EQ(j == 3, m.controls.panels[j].visible) << j;
    m.form->optInternetSpeed_Click(4, 2);
    m.form->optInternetMethod_Click(0);
    m.form->optInternetMethod_Click(3);
    EXPECT_EQ(36500, m.form->tuning().lngRWIN) << "a method click reloads row 0";
}

TEST(RunDriver, SummaryHasTheMssLineOnWindows98Only) {
    TestMachine xp(Windows::XP);
    xp.form->optInternetMethod_Click(0);
    xp.form->optInternetSpeed_Click(1, 2);
    xp.form->cmdOptimize_Click();
    EXPECT_EQ(kSummaryNT, xp.controls.boxes.shown.back().prompt);
    EXPECT_EQ(kMbIconInformation, xp.controls.boxes.shown.back().style);
    EXPECT_EQ("VornixInternetOptimizer", xp.controls.boxes.shown.back().title);

    TestMachine w98(Windows::Win98);
    w98.form->optInternetMethod_Click(0);
    w98.form->optInternetSpeed_Click(1, 2);
    w98.form->cmdOptimize_Click();
    std::string expected = kSummaryNT;
    expected.insert(expected.find("接收窗口"), "段最大值 (MSS)\t\t= 1452 字节\r\n");
    EXPECT_EQ(expected, w98.controls.boxes.shown.back().prompt);
}

TEST(RunDriver, AnOptimizeRunStepsThroughItsTextsAndOffersTheRestart) {
    TestMachine m(Windows::XP);
    m.StockXP({"{AAAA}"});
    m.form->optInternetMethod_Click(1);
    m.form->cmdOptimize_Click();
    ASSERT_TRUE(m.controls.tmrOptimize.enabled);
    std::map<int, std::string> texts;
    for (int tick = 1; tick <= 100; ++tick) {
        const std::string before = m.controls.lblOptimizeStatus.caption;
        m.form->tmrOptimize_Timer();
        ASSERT_EQ(tick, m.controls.pgbOptimize.value);
        if (m.controls.lblOptimizeStatus.caption != before) {
            texts[tick] = m.controls.lblOptimizeStatus.caption;
        }
        if (tick == 10) {
            EXPECT_TRUE(m.FlagSet()) << "backup at 10";
        } else if (tick == 19) {
            EXPECT_EQ(kAbsent, ValueType(*m.reg, kTcpipParametersKey, "DefaultTTL"));
        } else if (tick == 20) {
            EXPECT_EQ(128, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "DefaultTTL"));
        }
    }
    EXPECT_EQ(12u, texts.size());
    EXPECT_EQ(text::kStatusAnalyse, texts[1]);
    EXPECT_EQ(text::kStatusBackup, texts[10]);
    EXPECT_EQ("更改 RFC 1323 值(时间戳和窗口缩放选项)", texts[90]);
    EXPECT_EQ(text::kStatusDone, texts[99]);
    EXPECT_EQ(text::kStatusBackupExists, texts[100]);
    EXPECT_TRUE(m.controls.cmdRestore.enabled);
    const Box& closing = m.controls.boxes.shown.back();
    EXPECT_EQ("优化完成。请重新启动您的系统\r\n为使更改生效。你现在要重启计算机吗？", closing.prompt);
    EXPECT_EQ("推荐", closing.title);
    EXPECT_EQ(kMbYesNo | kMbIconQuestion, closing.style);
    EXPECT_TRUE(m.shutdown.calls.empty()) << "answered No";
    // The next tick finds the bar full: it only stops the timer.
    const std::size_t boxes = m.controls.boxes.shown.size();
    m.form->tmrOptimize_Timer();
    EXPECT_FALSE(m.controls.tmrOptimize.enabled);
    EXPECT_EQ(100, m.controls.pgbOptimize.value);
    EXPECT_EQ(boxes, m.controls.boxes.shown.size());
}

TEST(RunDriver, ARestoreRunNeedsABackupAndAnsweredYesAtTheEndRestarts) {
    TestMachine m(Windows::XP);
    m.controls.boxes.answers = {kIdNo};
    m.form->cmdRestore_Click();
    EXPECT_FALSE(m.controls.tmrOptimize.enabled);
    EXPECT_EQ(text::kRestoreQuestion, m.controls.boxes.shown.back().prompt);

    // Without a backup there is nothing to restore: no backup is taken
    // either, and nothing changes.
    m.StockXP({"{AAAA}"});
    m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    const std::string before = m.MachineState();
    m.Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(std::string(text::kRestoreFailedMessage) + "\r\n\r\n" + text::kReasonNoBackup,
              m.controls.boxes.shown.back().prompt);
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ("", m.StoreState());
    EXPECT_FALSE(m.controls.cmdRestore.enabled);

    m.Optimize();
    m.controls.boxes.answers = {kIdYes, kIdYes};
    m.form->cmdRestore_Click();
    m.TickUntilStopped();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ("您的TCP/IP参数已恢复到了原有值。请重新启动您的系统\r\n为使更改生效。你现在要重启计算机吗？",
              m.controls.boxes.shown.back().prompt);
    EXPECT_EQ(before, m.MachineState());
    ASSERT_FALSE(m.shutdown.calls.empty());
    // Other programs are asked to close and may keep their work; the reason
    // is a planned reconfiguration.
    EXPECT_EQ("ExitWindowsEx 18 2147614724", m.shutdown.calls.back());

    // A restart that cannot be started is not passed over in silence, and
    // the message says which values wait for the next one.
    for (const bool privilege : {false, true}) {
        m.shutdown.holdsPrivilege = privilege;
        m.shutdown.exitSucceeds = false;
        m.controls.boxes.answers = {kIdYes, kIdYes};
        m.form->cmdRestore_Click();
        m.TickUntilStopped();
        EXPECT_EQ(text::kRestartFailedAfterRestoreMessage, m.controls.boxes.shown.back().prompt)
            << privilege;
        EXPECT_EQ(kMbIconExclamation, m.controls.boxes.shown.back().style);
        m.controls.boxes.answers = {kIdYes};
        m.Optimize();
        EXPECT_EQ(text::kRestartFailedMessage, m.controls.boxes.shown.back().prompt) << privilege;
    }
}

// Ticks that the enumeration's event processing delivers while step 10 is
// still at work: enough of them to reach step 20 if they were let through,
// which would tune the machine before its backup is taken.
TEST(RunDriver, TicksDuringTheEnumerationWaitForTheStepToFinish) {
    TestMachine m(Windows::XP);
    std::vector<std::string> interfaces;
    for (char c = 'A'; c <= 'P'; ++c) interfaces.push_back(std::string("{") + c + "}");
    m.StockXP(interfaces);
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{C}"), "MTU", 1400);
    const std::string before = m.MachineState();
    int nested = 0;
    m.pump = [&] {
        ++nested;
        m.form->tmrOptimize_Timer();  // a tick dispatched between entries
    };
    m.Optimize(0, 0);
    EXPECT_GT(nested, 12);
    EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1492, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{C}"), "MTU"));
    m.pump = {};
    m.Restore();
    EXPECT_EQ(before, m.MachineState()) << "the backup finished before anything was tuned";
}

// Clicks that reach the window while a run is under way, through the event
// processing of its registry steps: none may change its mode, its tuning set
// or its progress, and the controls say so by being disabled.
TEST(RunDriver, ClicksDuringARunChangeNothing) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}", "{B}"});
    m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    const std::string before = m.MachineState();
    m.pump = [&] {
        m.controls.boxes.answers.push_back(kIdYes);
        m.form->cmdRestore_Click();
        m.form->cmdOptimize_Click();
        m.form->optInternetMethod_Click(2);
        m.form->optInternetSpeed_Click(1, 9);
    };
    m.form->optInternetMethod_Click(0);
    const std::size_t boxes = m.controls.boxes.shown.size();
    m.form->cmdOptimize_Click();
    int ticks = 0;
    for (; m.controls.tmrOptimize.enabled && ticks < 200; ++ticks) {
        m.form->tmrOptimize_Timer();
        if (ticks == 50) {
            EXPECT_FALSE(m.controls.cmdOptimize.enabled);
            EXPECT_FALSE(m.controls.cmdRestore.enabled);
            EXPECT_FALSE(m.controls.optionButtons.enabled);
        }
    }
    EXPECT_EQ(101, ticks) << "the run was started over";
    EXPECT_EQ(boxes + 2, m.controls.boxes.shown.size()) << "the summary and the closing question only";
    EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1492, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{A}"), "MTU"));
    EXPECT_EQ(10164, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "TcpWindowSize"));
    EXPECT_EQ(1, m.form->intInternetMethod());
    EXPECT_TRUE(m.controls.cmdOptimize.enabled);
    EXPECT_TRUE(m.controls.cmdRestore.enabled);
    EXPECT_TRUE(m.controls.optionButtons.enabled);

    // The same in a restore run.
    m.controls.boxes.answers = {kIdYes};
    m.form->cmdRestore_Click();
    m.TickUntilStopped();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(1, m.form->intInternetMethod());
}

TEST(RunDriver, TicksDuringTheClosingQuestionOnlyStopTheTimer) {
    TestMachine m(Windows::XP);
    m.StockXP({});
    m.form->optInternetMethod_Click(0);
    m.form->cmdOptimize_Click();
    for (int i = 0; i < 99; ++i) m.form->tmrOptimize_Timer();
    const std::size_t boxes = m.controls.boxes.shown.size();
    m.controls.boxes.whileOpen = [&] { m.form->tmrOptimize_Timer(); };
    m.form->tmrOptimize_Timer();
    EXPECT_EQ(boxes + 1, m.controls.boxes.shown.size());
    EXPECT_FALSE(m.controls.tmrOptimize.enabled);
    EXPECT_EQ(100, m.controls.pgbOptimize.value);
}

// A run timer the system refuses: no run starts, the window is left as it
// was, and the user is told to try again.
TEST(RunDriver, ARunWithoutItsTimerLeavesTheWindowAsItWas) {
    class RefusedTimer final : public Timer {
    public:
        void SetEnabled(bool) override {}
        bool Enabled() const override { return false; }
    } refused;
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    m.Optimize();
    const std::string machine = m.MachineState();
    const Form1Controls real = m.controls.View();
    Form1 form(SystemServices{m.registry, m.codePage, m.version, m.shutdown, {},
                              design::kProductName},
               Form1Controls{real.lblOptimizeStatus, real.pgbOptimize, refused, real.tmrBlink,
                             real.cmdOptimize, real.cmdRestore, real.optionButtons, real.lblNext1,
                             real.Label1, real.picInternetSpeed, real.dialogs});
    for (const bool optimize : {true, false}) {
        form.optInternetMethod_Click(0);
        m.controls.boxes.answers = {kIdYes};
        optimize ? form.cmdOptimize_Click() : form.cmdRestore_Click();
        EXPECT_EQ(text::kTimerFailedMessage, m.controls.boxes.shown.back().prompt) << optimize;
        EXPECT_FALSE(form.RunActive());
        EXPECT_TRUE(m.controls.cmdOptimize.enabled);
        EXPECT_TRUE(m.controls.cmdRestore.enabled);
        EXPECT_TRUE(m.controls.optionButtons.enabled);
        EXPECT_EQ(100, m.controls.pgbOptimize.value);
        form.optInternetMethod_Click(2);
        EXPECT_EQ(3, form.intInternetMethod()) << "the options take clicks again";
    }
    EXPECT_EQ(machine, m.MachineState());
}

TEST(RunDriver, RunsThatCouldNotWriteSaySoAndOfferNoRestart) {
    // A user without write access to HKEY_LOCAL_MACHINE.
    TestMachine m(Windows::XP);
    m.StockXP({"{A}"});
    const std::string before = m.MachineState();
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        const bool write = c.op == MemoryRegistryApi::Op::Set ||
                           c.op == MemoryRegistryApi::Op::DeleteValue ||
                           (c.op == MemoryRegistryApi::Op::Create && c.path.rfind("SOFTWARE", 0) == 0);
        return write ? kErrorAccessDenied : kErrorSuccess;
    });
    m.Optimize();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(text::kStatusBackupFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(std::string(text::kBackupFailedMessage) + "\r\n\r\n" + text::kReasonWriteRefused +
                  text::kRunAsAdministrator,
              m.controls.boxes.shown.back().prompt);
    EXPECT_EQ(kMbIconExclamation, m.controls.boxes.shown.back().style);
    EXPECT_FALSE(m.controls.cmdRestore.enabled);
    EXPECT_FALSE(m.controls.tmrOptimize.enabled);
    EXPECT_TRUE(m.shutdown.calls.empty());

    m.Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());

    // With a backup in place, a refused apply is no success either.
    m.registry.SetFaultHook({});
    m.form->BackupSettings();
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        const bool write = c.op == MemoryRegistryApi::Op::Set ||
                           c.op == MemoryRegistryApi::Op::DeleteValue;
        return write && c.name == "SackOpts" ? kErrorAccessDenied : kErrorSuccess;
    });
    m.Optimize();
    EXPECT_EQ(text::kStatusApplyFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_TRUE(m.controls.cmdRestore.enabled) << "the backup is there to go back to";
    m.registry.SetFaultHook({});
    m.Optimize();
    m.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        const bool write = c.op == MemoryRegistryApi::Op::Set ||
                           c.op == MemoryRegistryApi::Op::DeleteValue;
        return write ? kErrorAccessDenied : kErrorSuccess;
    });
    m.Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
    m.registry.SetFaultHook({});
    m.Restore();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());
    EXPECT_TRUE(m.shutdown.calls.empty());
}

TEST(RunDriver, LoadWritesTheInstallRecordOnceAndFindsTheBackup) {
    TestMachine m(Windows::XP);
    m.form->Form_Load("C:\\", "VornixInternetOptimizer");
    EXPECT_EQ("C:\\\\VornixInternetOptimizer.exe",
              m.reg->ReadRegString(HKLM, kProductKey, "InstallPath"));
    EXPECT_FALSE(m.controls.cmdRestore.enabled);
    EXPECT_EQ("", m.controls.lblOptimizeStatus.caption);

    // A flag without this family's store is no backup to restore from.
    TestMachine again(Windows::XP);
    again.reg->SaveRegString(HKLM, kProductKey, "InstallPath", "D:\\old\\v.exe");
    again.reg->SaveRegWord(HKLM, kProductKey, kBackupFlagName, 1);
    again.form->Form_Load("E:\\new", "renamed");
    EXPECT_EQ("D:\\old\\v.exe", again.reg->ReadRegString(HKLM, kProductKey, "InstallPath"));
    EXPECT_FALSE(again.controls.cmdRestore.enabled);

    TestMachine backedUp(Windows::XP);
    ASSERT_TRUE(backedUp.form->BackupSettings());
    backedUp.form->Form_Load("E:\\new", "renamed");
    EXPECT_TRUE(backedUp.controls.cmdRestore.enabled);
    EXPECT_EQ(text::kStatusBackupExists, backedUp.controls.lblOptimizeStatus.caption);
}

}  // namespace
}  // namespace vornix::test
