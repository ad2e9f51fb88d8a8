// Optimize and restore runs of the main window's logic, end to end, against
// the in-memory registry and, under Wine, against the real one (as the
// Windows the executable is named for): an optimize writes the design's
// values where the running family reads them and backs up the machine's own
// first; a restore gives the machine back exactly as it was, whatever it
// held, also from the stores earlier versions wrote; and the store is never
// written over.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/RunTexts.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;
using Backend = TestMachine::Backend;

struct Kind {
    Windows windows;
    Backend backend;
};

void PrintTo(const Kind& kind, std::ostream* os) {
    *os << (kind.windows == Windows::Win98 ? "Win98" : "XP")
        << (kind.backend == Backend::Real ? "RealRegistry" : "Memory");
}

class EndToEnd : public testing::TestWithParam<Kind> {
protected:
    // A machine of the suite's Windows on its registry; on the real one,
    // only one at a time.
    TestMachine& Machine() {
        machine_.reset();
        machine_ = std::make_unique<TestMachine>(GetParam().windows, GetParam().backend);
        return *machine_;
    }
    bool win98() const { return GetParam().windows == Windows::Win98; }
    // The family's store key and, for writing it by hand, the other's.
    std::string Store(bool otherFamily = false) const { return design::StoreKey(win98() != otherFamily); }

    std::unique_ptr<TestMachine> machine_;
};

// The design's keys with the values an optimize writes into them: those of
// 95/98/ME, then the NT family's, with the interfaces named.
std::vector<std::tuple<std::string, const char*, bool>> Places(const std::vector<std::string>& interfaces) {
    std::vector<std::tuple<std::string, const char*, bool>> places = {
        {design::kNetTransKey, design::kNetTransValues, true},
        {design::kMstcpKey, design::kMstcpValues, true},
        {design::kParametersKey, design::kParametersValues, false}};
    for (const std::string& name : interfaces) {
        places.emplace_back(std::string(design::kInterfacesKey) + "\\" + name, design::kInterfaceValues, false);
    }
    return places;
}

// Every value the design names holds what an optimize with this MTU, MSS and
// window writes, where the running family reads it (on 95/98/ME as number
// text), and the other family's values are not there.
void ExpectTuned(TestMachine& m, std::int32_t mtu, std::int32_t mss, std::int32_t rwin,
                 const std::vector<std::string>& interfaces) {
    const bool win98 = m.family() == Family::Win9x;
    for (const auto& [key, list, ofWin98] : Places(interfaces)) {
        for (const auto& [name, value] : design::Tuned(list, mtu, mss, rwin)) {
            const Registry::Value held = m.reg->ReadRegValues(HKLM, key, {name})[0];
            if (ofWin98 != win98) {
                EXPECT_TRUE(held.Absent()) << key << "\\" << name;
            } else if (win98) {
                EXPECT_TRUE(held.IsString() && held.text == " " + std::to_string(value)) << key << "\\" << name;
            } else {
                EXPECT_TRUE(held.IsDword() && held.number == value) << key << "\\" << name;
            }
        }
    }
}

// The family's store holds the design's values and its own, in its format;
// the other family's is not there.
void ExpectStore(TestMachine& m, const std::string& store, const std::string& other) {
    const bool win98 = m.family() == Family::Win9x;
    std::vector<std::string> expected = design::Names(win98 ? design::kWin9xStoreValues : design::kNtStoreValues);
    for (const std::string& name : design::Names(design::kStoreOwnValues)) expected.push_back(name);
    std::vector<std::string> held = m.reg->ValueNames(HKLM, store).names;
    std::sort(expected.begin(), expected.end());
    std::sort(held.begin(), held.end());
    EXPECT_EQ(expected, held);
    EXPECT_EQ(std::stoi(design::kStoreFormat), m.reg->ReadRegWord(HKLM, store, "BackupFormat"));
    EXPECT_EQ(kErrorFileNotFound, m.reg->ValueNames(HKLM, other).error);
}

TEST_P(EndToEnd, AStockMachineIsTunedWhereItsFamilyReadsThenRestoredExactly) {
    TestMachine& m = Machine();
    const std::vector<std::string> interfaces = {"{VORNIX-TEST-A}", "{VORNIX-TEST-B}"};
    win98() ? m.StockWin98() : m.StockXP(interfaces);
    const std::string before = m.MachineState();
    m.Optimize(0, 9);
    ASSERT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_TRUE(m.FlagSet());
    ExpectTuned(m, 1492, 1452, 2337720, win98() ? std::vector<std::string>() : interfaces);
    ExpectStore(m, Store(), Store(true));
    if (win98()) {
        // The store keeps its plain layout: number texts, absent ones as 0.
        EXPECT_EQ(" 0", m.reg->ReadRegString(HKLM, Store(), "MaxMTU"));
        EXPECT_EQ("", m.reg->ReadRegString(HKLM, std::string(kNetTransKey) + "\\0000", "MaxMTU"));
    }
    m.Restore();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());
}

// Values of the machine's own come back as they were: on 95/98/ME each
// text exactly; on the NT family each interface's own values, while an
// interface added after the backup keeps the tuned ones. A second optimize
// keeps the first backup.
TEST_P(EndToEnd, AMachinesOwnValuesComeBackAsTheyWere) {
    TestMachine& m = Machine();
    if (win98()) {
        m.StockWin98();
        m.reg->SaveRegString(HKLM, kNetTransKey, "MaxMTU", "576");
        m.reg->SaveRegString(HKLM, kMstcpKey, "DefaultTTL", " 32 ");
        m.reg->SaveRegString(HKLM, kMstcpKey, "SackOpts", "-1");
        m.reg->SaveRegString(HKLM, kMstcpKey, "Tcp1323Opts", "0");
    } else {
        m.StockXP({"{VORNIX-TEST-A}", "{VORNIX-TEST-B}", "{VORNIX-TEST-C}"});
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-A}"), "MTU", 1400);  // a VPN adapter
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-B}"), "MTU", 9000);
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-B}"), "TcpWindowSize", 65535);
        m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
        m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "Tcp1323Opts", 3);
    }
    const std::string before = m.MachineState();
    // Ticks that arrive between interfaces must wait for the step.
    m.pump = [&] { m.form->tmrOptimize_Timer(); };
    m.Optimize(1, 5);
    m.pump = {};
    ASSERT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ((TuningSet{.lngMTU = 1500, .lngMSS = 1460, .lngRWIN = 2064440, .lngTTL = 128,
                         .lngPMTUBHDetect = 0, .lngPMTUDiscovery = 1, .lngSackOpts = 1, .lngTcp1323Opts = 1}),
              m.form->tuning())
        << "the backup leaves the tuning set alone";
    ExpectTuned(m, 1500, 1460, 2064440, win98() ? std::vector<std::string>() : std::vector<std::string>{
        "{VORNIX-TEST-A}", "{VORNIX-TEST-B}", "{VORNIX-TEST-C}"});
    if (win98()) {
        EXPECT_EQ(" 576", m.reg->ReadRegString(HKLM, Store(), "MaxMTU")) << "the store's number text";
    } else {
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-D}"), "MTU", 1492);
    }
    m.Restore();
    if (!win98()) {
        EXPECT_EQ(1492, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-D}"), "MTU"));
        m.reg->DeleteRegTree(HKLM, m.InterfaceKey("{VORNIX-TEST-D}"));
    }
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(win98() ? 576 : 1500, m.form->tuning().lngMTU);

    m.Optimize(2, 4);
    m.Restore();
    EXPECT_EQ(before, m.MachineState()) << "the second optimize kept the first backup";
    if (win98()) {
        // A text that no longer stands for the stored number is not
        // trusted: the number text is written.
        m.reg->SaveRegString(HKLM, Store() + "\\Texts", "MaxMTU", "577");
        m.Restore();
        EXPECT_EQ(" 576", m.reg->ReadRegString(HKLM, kNetTransKey, "MaxMTU"));
    }
}

// The stores earlier versions left on users' machines restore as they
// always did. The plain store: every value present, one MTU and the global
// window for every interface, and since 0 is no valid MTU, window or TTL, a
// 0 there stands for a value that did not exist. Format 2: the values of
// its list, the absent ones named, each interface's own record.
TEST_P(EndToEnd, TheStoresOfEarlierVersionsRestoreAsTheyAlwaysDid) {
    const std::vector<std::string> names = design::Names(win98() ? design::kWin9xFrozenValues : design::kNtFrozenValues);
    auto store = [&](TestMachine& m, const std::vector<std::int32_t>& numbers) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (win98()) m.reg->SaveRegString(HKLM, Store(), names[i], " " + std::to_string(numbers[i]) + " ");
            if (!win98()) m.reg->SaveRegWord(HKLM, Store(), names[i], numbers[i]);
        }
        m.reg->SaveRegWord(HKLM, kProductKey, kBackupFlagName, 1);
    };
    // MTU, MSS (95/98/ME only), window, TTL and the four switches.
    const std::vector<std::int32_t> own = win98() ? std::vector<std::int32_t>{1400, 1360, 17520, 64, 0, 1, 1, 0}
                                                  : std::vector<std::int32_t>{1400, 17520, 64, 0, 1, 1, 0};
    {
        TestMachine& m = Machine();
        win98() ? m.StockWin98() : m.StockXP({"{VORNIX-TEST-A}", "{VORNIX-TEST-B}"});
        store(m, own);
        m.Restore();
        EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
        if (win98()) {
            EXPECT_EQ(" 1400", m.reg->ReadRegString(HKLM, kNetTransKey, "MaxMTU"));
            EXPECT_EQ(" 0", m.reg->ReadRegString(HKLM, kMstcpKey, "Tcp1323Opts"));
        } else {
            for (const char* itf : {"{VORNIX-TEST-A}", "{VORNIX-TEST-B}"}) {
                EXPECT_EQ(1400, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "MTU"));
                EXPECT_EQ(17520, m.reg->ReadRegWord(HKLM, m.InterfaceKey(itf), "TcpWindowSize"));
            }
            EXPECT_EQ(64, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "DefaultTTL"));
            EXPECT_EQ(kAbsent, ValueType(*m.reg, kInterfacesKey, "MTU"));
        }
        // One value missing: the store is damaged; nothing is written, and
        // the user is told which value.
        m.reg->DeleteRegValue(HKLM, Store(), names.back());
        const std::string untouched = m.MachineState();
        m.Restore();
        EXPECT_EQ(untouched, m.MachineState());
        EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
        EXPECT_NE(std::string::npos, m.controls.boxes.shown.back().prompt.find(
                                         text::Naming(text::kReasonStoreDamaged, Store(), names.back())));
    }
    if (!win98()) {
        TestMachine& zeros = Machine();
        zeros.StockXP({"{VORNIX-TEST-A}"});
        store(zeros, {0, 0, 0, 0, 1, 1, 0});
        zeros.Optimize();  // the store exists: no new backup, the machine is tuned
        zeros.Restore();
        EXPECT_EQ(text::kStatusRestored, zeros.controls.lblOptimizeStatus.caption);
        EXPECT_EQ(kAbsent, ValueType(*zeros.reg, zeros.InterfaceKey("{VORNIX-TEST-A}"), "MTU"));
        EXPECT_EQ(kAbsent, ValueType(*zeros.reg, kTcpipParametersKey, "DefaultTTL"));
        EXPECT_EQ(kAbsent, ValueType(*zeros.reg, kTcpipParametersKey, "TcpWindowSize"));
        EXPECT_EQ(static_cast<std::int32_t>(kRegDword), ValueType(*zeros.reg, kTcpipParametersKey, "EnablePMTUBHDetect"))
            << "a switch keeps its stored 0";
        EXPECT_EQ(1492, zeros.form->tuning().lngMTU) << "no MTU of 0 is loaded for a later run";
    }
    // Format 2, as the version before format 3 wrote it, on a machine it tuned.
    TestMachine& m = Machine();
    const std::vector<std::string> interfaces = {"{VORNIX-TEST-A}", "{VORNIX-TEST-B}", "{VORNIX-TEST-C}"};
    win98() ? m.StockWin98() : m.StockXP(interfaces);
    if (win98()) {
        m.reg->SaveRegString(HKLM, kNetTransKey, "MaxMTU", "576");
        m.reg->SaveRegString(HKLM, kMstcpKey, "DefaultTTL", " 32");
    } else {
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-A}"), "MTU", 1400);
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-B}"), "TcpWindowSize", 64240);
        m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    }
    const std::string before = m.MachineState();
    store(m, win98() ? std::vector<std::int32_t>{576, 0, 0, 32, 0, 0, 0, 0} : std::vector<std::int32_t>{0, 0, 64, 0, 0, 0, 0});
    m.reg->SaveRegString(HKLM, Store(), "AbsentValues",
                         win98() ? "MaxMSS,DefaultRcvWindow,PMTUBlackHoleDetect,PMTUDiscovery,SackOpts,Tcp1323Opts"
                                 : "MTU,TcpWindowSize,EnablePMTUBHDetect,EnablePMTUDiscovery,SackOpts,Tcp1323Opts");
    m.reg->SaveRegWord(HKLM, Store(), "BackupFormat", 2);
    if (win98()) {
        m.reg->SaveRegString(HKLM, Store() + "\\Texts", "MaxMTU", "576");
        m.reg->SaveRegString(HKLM, Store() + "\\Texts", "DefaultTTL", " 32");
    } else {
        const std::pair<const char*, const char*> records[] = {{"{VORNIX-TEST-A}", "MTU=1400;TcpWindowSize=-"},
                                                               {"{VORNIX-TEST-B}", "MTU=-;TcpWindowSize=64240"},
                                                               {"{VORNIX-TEST-C}", "MTU=-;TcpWindowSize=-"}};
        for (const auto& [itf, record] : records) m.reg->SaveRegString(HKLM, Store() + "\\Interfaces", itf, record);
    }
    for (const auto& [key, list, ofWin98] : Places(win98() ? std::vector<std::string>() : interfaces)) {
        for (const std::string& name : design::Names(list)) {
            if (ofWin98 != win98() || std::find(names.begin(), names.end(), name) == names.end()) continue;
            win98() ? m.reg->SaveRegString(HKLM, key, name, " 7") : m.reg->SaveRegWord(HKLM, key, name, 7);
        }
    }
    ASSERT_NE(before, m.MachineState());
    m.Restore();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());
}

// The flag stands for a backup only together with a complete store of the
// running family, and the store is never written over: another family's
// store stays as it is, an unfinished one is taken again, a damaged one
// stops the run before anything changes.
TEST_P(EndToEnd, TheStoreIsNeverWrittenOver) {
    auto stock = [&](TestMachine& m) {
        win98() ? m.StockWin98() : m.StockXP({"{VORNIX-TEST-A}"});
        win98() ? m.reg->SaveRegString(HKLM, kMstcpKey, "DefaultTTL", " 64")
                : m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
        return m.MachineState();
    };
    {
        // The flag and store of the other family's backup.
        TestMachine& m = Machine();
        const std::string before = stock(m);
        m.reg->SaveRegWord(HKLM, Store(true), "MTU", 576);
        m.reg->SaveRegWord(HKLM, kProductKey, kBackupFlagName, 1);
        const std::string other = m.TreeState(Store(true));
        m.Optimize();
        EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
        EXPECT_EQ(other, m.TreeState(Store(true)));
        m.Restore();
        EXPECT_EQ(before, m.MachineState());
    }
    {
        // An unfinished store of this family, under a flag of 1: taken again.
        TestMachine& m = Machine();
        const std::string before = stock(m);
        m.reg->SaveRegWord(HKLM, Store(), "BackupFormat", 1);
        m.reg->SaveRegWord(HKLM, Store(), "MTU", 0);
        m.reg->SaveRegWord(HKLM, kProductKey, kBackupFlagName, 1);
        m.Optimize();
        EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
        EXPECT_EQ(std::stoi(design::kStoreFormat), m.reg->ReadRegWord(HKLM, Store(), "BackupFormat"));
        m.Restore();
        EXPECT_EQ(before, m.MachineState());
    }
    // A damaged store (a value that is no number, an interface record that
    // is none): an optimize run does not take a new backup over it, nor does
    // a restore write from it.
    TestMachine& m = Machine();
    stock(m);
    m.Optimize();
    const std::string damaged = win98() ? Store() + "\\DefaultTTL" : Store() + "\\Interfaces\\{VORNIX-TEST-A}";
    if (win98()) {
        m.reg->SaveRegString(HKLM, Store(), "DefaultTTL", "on");
    } else {
        m.reg->SaveRegString(HKLM, Store() + "\\Interfaces", "{VORNIX-TEST-A}", "MTU=14x0;TcpWindowSize=-");
    }
    const std::string store = m.StoreState();
    const std::string machine = m.MachineState();
    for (const bool optimize : {true, false}) {
        optimize ? m.Optimize() : m.Restore();
        EXPECT_EQ(optimize ? text::kStatusBackupFailed : text::kStatusRestoreFailed,
                  m.controls.lblOptimizeStatus.caption);
        EXPECT_NE(std::string::npos, m.controls.boxes.shown.back().prompt.find(
                                         text::Naming(text::kReasonStoreDamaged, damaged)));
        EXPECT_EQ(store, m.StoreState());
        EXPECT_EQ(machine, m.MachineState());
    }
}

#ifdef VORNIX_END_TO_END_REAL
// Under Wine against its real registry, as the Windows this executable is
// named for.
Kind RealKind() {
    return {clsOS(MakeRealMachine()->version()).OperatingPlatform() == 1 ? Windows::Win98 : Windows::XP,
            Backend::Real};
}
INSTANTIATE_TEST_SUITE_P(Machine, EndToEnd, testing::Values(RealKind()));
#else
INSTANTIATE_TEST_SUITE_P(Machine, EndToEnd,
                         testing::Values(Kind{Windows::Win98, Backend::Memory}, Kind{Windows::XP, Backend::Memory}));
#endif

}  // namespace
}  // namespace vornix::test
