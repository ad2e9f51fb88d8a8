// Backup, apply and restore against an in-memory machine of either family:
// an optimize run followed by a restore must give the machine back exactly
// as it was, whatever it held, and no failure may leave a backup flag that
// stands for an incomplete backup.
#include <gtest/gtest.h>

#include "engine/BackupStore.h"
#include "engine/RunTexts.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;

TEST(TuningRoundTrip, Win98StockMachineGetsItsAbsentValuesBack) {
    TestMachine m(Windows::Win98);
    m.StockWin98();
    const std::string before = m.MachineState();
    m.Optimize(0, 9);
    EXPECT_TRUE(m.FlagSet());
    EXPECT_EQ(" 1492", m.reg->ReadRegString(HKLM, kNetTrans, "MaxMTU"));
    EXPECT_EQ(" 1452", m.reg->ReadRegString(HKLM, kNetTrans, "MaxMSS"));
    EXPECT_EQ(" 2337720", m.reg->ReadRegString(HKLM, kMstcp, "DefaultRcvWindow"));
    EXPECT_EQ(" 128", m.reg->ReadRegString(HKLM, kMstcp, "DefaultTTL"));
    EXPECT_EQ(" 0", m.reg->ReadRegString(HKLM, kMstcp, "PMTUBlackHoleDetect"));
    EXPECT_EQ("", m.reg->ReadRegString(HKLM, std::string(kNetTrans) + "\\0000", "MaxMTU"));
    // The store keeps its plain layout: eight number texts, absent ones as 0.
    const std::string store = std::string(kProductKey) + "\\Platform_Windows_95_98_ME";
    EXPECT_EQ(" 0", m.reg->ReadRegString(HKLM, store, "MaxMTU"));
    EXPECT_EQ(8 + 2, m.reg->SubValueCount(HKLM, store));

    m.Restore();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
}

TEST(TuningRoundTrip, Win98TunedMachineGetsItsNumbersBackAsNumberText) {
    TestMachine m(Windows::Win98);
    const char* names[] = {"DefaultRcvWindow", "DefaultTTL", "PMTUBlackHoleDetect",
                           "PMTUDiscovery", "SackOpts", "Tcp1323Opts"};
    m.reg->SaveRegString(HKLM, kNetTrans, "MaxMTU", " 1500");
    m.reg->SaveRegString(HKLM, kNetTrans, "MaxMSS", " 1460");
    for (const char* name : names) m.reg->SaveRegString(HKLM, kMstcp, name, "-1");
    const std::string before = m.MachineState();
    const TuningSet chosen = [&] {
        m.Optimize(2, 4);
        return m.form->tuning();
    }();
    EXPECT_EQ((TuningSet{1476, 1436, 1176084, 128, 0, 1, 1, 1}), chosen)
        << "the backup leaves the tuning set alone";
    EXPECT_EQ(" 1476", m.reg->ReadRegString(HKLM, kNetTrans, "MaxMTU"));
    m.Restore();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ((TuningSet{1500, 1460, -1, -1, -1, -1, -1, -1}), m.form->tuning());

    // A second optimize run keeps the first backup: a restore still brings
    // back the machine's own values, not the first run's.
    m.Optimize(1, 5);
    m.Restore();
    EXPECT_EQ(before, m.MachineState());
}

TEST(TuningRoundTrip, Win98TextsComeBackAsTheyWereWrittenNotOnlyAsNumbers) {
    TestMachine m(Windows::Win98);
    m.StockWin98();
    m.reg->SaveRegString(HKLM, kNetTrans, "MaxMTU", "576");
    m.reg->SaveRegString(HKLM, kMstcp, "DefaultTTL", " 32 ");
    m.reg->SaveRegString(HKLM, kMstcp, "SackOpts", "0");
    const std::string before = m.MachineState();
    m.Optimize();
    // The store's plain values keep their number text.
    EXPECT_EQ(" 576", m.reg->ReadRegString(HKLM, std::string(kProductKey) + "\\Platform_Windows_95_98_ME",
                                           "MaxMTU"));
    m.Restore();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(576, m.form->tuning().lngMTU);

    // A text that no longer stands for the stored number is not trusted:
    // the number text is written.
    m.reg->SaveRegString(HKLM, std::string(kProductKey) + "\\Platform_Windows_95_98_ME\\Texts",
                         "MaxMTU", "577");
    m.Restore();
    EXPECT_EQ(" 576", m.reg->ReadRegString(HKLM, kNetTrans, "MaxMTU"));
}

TEST(TuningRoundTrip, XpInterfacesGetTheirOwnValuesBackAndNewOnesAreLeftAlone) {
    TestMachine m(Windows::XP);
    m.StockXP({"{AAAA}", "{BBBB}", "{CCCC}"});
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{AAAA}"), "MTU", 1400);  // a VPN adapter
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{BBBB}"), "MTU", 1500);
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{BBBB}"), "TcpWindowSize", 65535);
    // {CCCC} has neither value; the Parameters key has DefaultTTL only.
    m.reg->SaveRegWord(HKLM, kParameters, "DefaultTTL", 64);
    const std::string before = m.MachineState();

    m.Optimize(0, 0);
    for (const char* itf : {"{AAAA}", "{BBBB}", "{CCCC}"}) {
        EXPECT_EQ(1492, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "MTU")) << itf;
        EXPECT_EQ(10164, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "TcpWindowSize")) << itf;
    }
    EXPECT_EQ(128, m.reg->ReadRegWord(HKLM, kParameters, "DefaultTTL"));
    EXPECT_EQ(1, m.reg->ReadRegWord(HKLM, kParameters, "SackOpts"));
    EXPECT_EQ(Registry::kValueAbsent, m.reg->ReadRegType(HKLM, kParameters, "MaxMSS"));
    EXPECT_EQ(0, m.reg->SubKeyCount(HKLM, std::string(kProductKey) + "\\Platform_Windows_95_98_ME"));
    // The plain "MTU" of the store is the last interface's: absent, so 0.
    EXPECT_EQ(0, m.reg->ReadRegWord(HKLM, std::string(kProductKey) + "\\Platform_Windows_NT_2K_XP",
                                    "MTU"));

    // An adapter installed after the backup keeps the tuned values.
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("{DDDD}"), "MTU", 1492);
    m.Restore();
    m.reg->DeleteRegKey(HKLM, m.InterfaceKey("{DDDD}"));
    EXPECT_EQ(before, m.MachineState());
}

TEST(TuningRoundTrip, XpStockMachineWithoutInterfacesOrValues) {
    TestMachine m(Windows::XP);
    m.StockXP({});
    const std::string before = m.MachineState();
    m.Optimize(5, 1);
    EXPECT_EQ(1175300, m.reg->ReadRegWord(HKLM, kParameters, "TcpWindowSize"));
    m.Restore();
    EXPECT_EQ(before, m.MachineState());
}

// A store written without the absence records is read the old way: every
// value is present, and one MTU and the global window go to every interface.
TEST(TuningRoundTrip, StoresWithoutAbsenceRecordsRestoreAsTheyAlwaysDid) {
    TestMachine m(Windows::XP);
    m.StockXP({"{AAAA}", "{BBBB}"});
    const std::string nt = std::string(kProductKey) + "\\Platform_Windows_NT_2K_XP";
    const std::pair<const char*, std::int32_t> saved[] = {
        {"MTU", 1400},         {"TcpWindowSize", 17520}, {"DefaultTTL", 64},
        {"EnablePMTUBHDetect", 0}, {"EnablePMTUDiscovery", 1}, {"SackOpts", 1},
        {"Tcp1323Opts", 0}};
    for (const auto& [name, value] : saved) m.reg->SaveRegWord(HKLM, nt, name, value);
    m.reg->SaveRegWord(HKLM, kProductKey, kFlag, 1);
    m.Restore();
    for (const char* itf : {"{AAAA}", "{BBBB}"}) {
        EXPECT_EQ(1400, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "MTU"));
        EXPECT_EQ(17520, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "TcpWindowSize"));
    }
    EXPECT_EQ(64, m.reg->ReadRegWord(HKLM, kParameters, "DefaultTTL"));
    EXPECT_EQ(0, m.reg->ReadRegWord(HKLM, kParameters, "Tcp1323Opts"));
    EXPECT_EQ(Registry::kValueAbsent, m.reg->ReadRegType(HKLM, kInterfaces, "MTU"));

    TestMachine w(Windows::Win98);
    const std::string store = std::string(kProductKey) + "\\Platform_Windows_95_98_ME";
    const char* names[] = {"MaxMTU", "MaxMSS", "DefaultRcvWindow", "DefaultTTL",
                           "PMTUBlackHoleDetect", "PMTUDiscovery", "SackOpts", "Tcp1323Opts"};
    for (const char* name : names) w.reg->SaveRegString(HKLM, store, name, " 1500 ");
    w.reg->SaveRegWord(HKLM, kProductKey, kFlag, 1);
    w.Restore();
    EXPECT_EQ(" 1500", w.reg->ReadRegString(HKLM, kNetTrans, "MaxMSS"));
    EXPECT_EQ(" 1500", w.reg->ReadRegString(HKLM, kMstcp, "Tcp1323Opts"));
}

// Fails the k-th create, write or delete of an optimize run, and of a
// restore run, for every k. Whatever fails: a run that says it succeeded has
// done all of its work, a run that failed offers no restart, the flag never
// stands without a complete backup, and once writes work again a restore
// gives the machine back exactly.
enum class Phase { Optimize, Restore };

void EveryFault(Windows windows, Phase phase) {
    auto prepare = [windows](TestMachine& m) {
        if (windows == Windows::Win98) {
            m.StockWin98();
            m.reg->SaveRegString(HKLM, kMstcp, "DefaultTTL", " 32");
            m.reg->SaveRegString(HKLM, kNetTrans, "MaxMTU", " 576");
        } else {
            m.StockXP({"{AAAA}", "{BBBB}", "{CCCC}"});
            m.reg->SaveRegWord(HKLM, m.InterfaceKey("{BBBB}"), "MTU", 1300);
            m.reg->SaveRegWord(HKLM, m.InterfaceKey("{CCCC}"), "TcpWindowSize", 8760);
            m.reg->SaveRegWord(HKLM, kParameters, "SackOpts", 0);
        }
    };
    auto isWrite = [](MemoryRegistryApi::Op op) {
        return op == MemoryRegistryApi::Op::Create || op == MemoryRegistryApi::Op::Set ||
               op == MemoryRegistryApi::Op::DeleteValue || op == MemoryRegistryApi::Op::DeleteKey;
    };
    auto runPhase = [phase](TestMachine& m) {
        if (phase == Phase::Optimize) {
            m.Optimize(1, 2);
        } else {
            m.Restore();
        }
    };
    const char* success = phase == Phase::Optimize ? text::kStatusBackupExists : text::kStatusRestored;

    // A clean pass: the state after the phase, and how many writes it makes.
    std::string tuned;
    int writes = 0;
    {
        TestMachine m(windows);
        prepare(m);
        if (phase == Phase::Restore) m.Optimize(1, 2);
        m.registry.SetFaultHook([&](const MemoryRegistryApi::Call& c) {
            if (isWrite(c.op)) ++writes;
            return kErrorSuccess;
        });
        runPhase(m);
        tuned = m.MachineState();
    }
    ASSERT_GE(writes, 8);

    int failedRuns = 0;
    for (int k = 1; k <= writes; ++k) {
        TestMachine m(windows);
        prepare(m);
        const std::string before = m.MachineState();
        if (phase == Phase::Restore) m.Optimize(1, 2);
        const std::size_t boxes = m.controls.boxes.shown.size();
        int seen = 0;
        m.registry.SetFaultHook([&](const MemoryRegistryApi::Call& c) {
            return isWrite(c.op) && ++seen == k ? kErrorAccessDenied : kErrorSuccess;
        });
        runPhase(m);
        m.registry.SetFaultHook({});

        const std::string status = m.controls.lblOptimizeStatus.caption;
        const bool offeredRestart = m.controls.boxes.shown.back().title == "推荐";
        if (status == success) {
            // The failed write was made good by a later one (a key created
            // again by the value written into it).
            EXPECT_EQ(tuned, m.MachineState()) << "write " << k << ": success text for a failed run";
            EXPECT_TRUE(offeredRestart) << "write " << k;
        } else {
            ++failedRuns;
            EXPECT_FALSE(offeredRestart) << "write " << k << ": restart offered after a failure";
            EXPECT_GT(m.controls.boxes.shown.size(), boxes) << "write " << k << ": failed silently";
        }
        if (phase == Phase::Optimize && !m.FlagSet()) {
            EXPECT_EQ(before, m.MachineState()) << "write " << k << ": tuned without a backup";
        }
        m.Restore();
        EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption) << "write " << k;
        EXPECT_EQ(before, m.MachineState()) << "write " << k << ": an original value was lost";
    }
    EXPECT_GT(failedRuns, writes * 3 / 4) << "most single failures must be noticed";
    testing::Test::RecordProperty("faultPoints", writes);
    testing::Test::RecordProperty("runsThatFailed", failedRuns);
}

TEST(EveryFault, Win98Optimize) { EveryFault(Windows::Win98, Phase::Optimize); }
TEST(EveryFault, Win98Restore) { EveryFault(Windows::Win98, Phase::Restore); }
TEST(EveryFault, XpOptimize) { EveryFault(Windows::XP, Phase::Optimize); }
TEST(EveryFault, XpRestore) { EveryFault(Windows::XP, Phase::Restore); }

TEST(TuningRoundTrip, AValuePresentButNotANumberStopsTheBackupBeforeAnyWrite) {
    TestMachine m(Windows::Win98);
    m.StockWin98();
    m.reg->SaveRegString(HKLM, kMstcp, "SackOpts", "yes");
    const std::string before = m.MachineState();
    m.Optimize();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(0, m.reg->SubKeyCount(HKLM, kProductKey));
    const std::string& shown = m.controls.boxes.shown.back().prompt;
    EXPECT_NE(std::string::npos, shown.find(text::kBackupFailedMessage));
    EXPECT_NE(std::string::npos, shown.find("VxD\\MSTCP\\SackOpts"));

    TestMachine x(Windows::XP);
    x.StockXP({"{AAAA}"});
    x.reg->SaveRegString(HKLM, x.InterfaceKey("{AAAA}"), "MTU", "1500");
    x.Optimize();
    EXPECT_FALSE(x.FlagSet());
    EXPECT_EQ(Registry::kValueAbsent, x.reg->ReadRegType(HKLM, kParameters, "SackOpts"));
}

TEST(TuningRoundTrip, UnknownPlatformTouchesNothing) {
    TestMachine m(Windows::Win32s);
    m.reg->SaveRegWord(HKLM, kParameters, "DefaultTTL", 64);
    const std::string before = m.registry.Dump(RootHandle(HKLM));
    m.registry.ResetCalls();
    EXPECT_FALSE(m.form->BackupSettings());
    EXPECT_FALSE(m.form->ApplyTuning());
    EXPECT_EQ(0u, m.registry.TotalCalls());
    EXPECT_EQ(before, m.registry.Dump(RootHandle(HKLM)));
}

}  // namespace
}  // namespace vornix::test
