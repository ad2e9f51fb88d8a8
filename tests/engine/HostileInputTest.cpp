// Values the tuning code reads that no well-kept machine holds: wrong types,
// over-long names and data, numbers outside 32 bits, text that is not a
// number, multi-byte names. None may crash the run, make it write anywhere
// but the keys it owns, or lose what the machine held.
#include <gtest/gtest.h>

#include "engine/RunTexts.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;

void SetRaw(TestMachine& m, const std::string& key, const std::string& name, std::uint32_t type,
            const std::string& bytes) {
    RegKeyHandle handle = 0;
    ASSERT_EQ(kErrorSuccess, m.registry.CreateKey(RootHandle(HKLM), key, &handle));
    m.registry.SetValue(handle, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size()));
    m.registry.CloseKey(handle);
}

// A run the machine's own values stop: nothing written anywhere, the value
// named in the message, no restart offered.
void ExpectRefused(TestMachine& m, const std::string& valuePath) {
    const std::string before = m.registry.Dump(RootHandle(HKLM));
    m.Optimize();
    EXPECT_EQ(before, m.registry.Dump(RootHandle(HKLM))) << valuePath;
    EXPECT_EQ(text::kStatusBackupFailed, m.controls.lblOptimizeStatus.caption) << valuePath;
    const std::string& prompt = m.controls.boxes.shown.back().prompt;
    EXPECT_NE(std::string::npos, prompt.find(valuePath)) << prompt;
    EXPECT_TRUE(m.shutdown.calls.empty());
}

TEST(HostileInput, SourceValuesThatAreNotNumbersStopTheBackup) {
    struct Case {
        Windows windows;
        std::string key, name;
        std::uint32_t type;
        std::string bytes;
    } cases[] = {
        {Windows::XP, std::string(kInterfacesKey) + "\\{A}", "MTU", kRegSz, std::string("1500", 5)},
        {Windows::XP, kTcpipParametersKey, "DefaultTTL", kRegBinary, std::string("\x40\0\0\0", 4)},
        {Windows::XP, kTcpipParametersKey, "SackOpts", kRegDword, std::string("\x01\0", 2)},
        {Windows::XP, kTcpipParametersKey, "Tcp1323Opts", kRegMultiSz, std::string("1\0\0", 3)},
        {Windows::Win98, kMstcpKey, "DefaultRcvWindow", kRegSz, std::string("99999999999", 12)},
        {Windows::Win98, kMstcpKey, "DefaultTTL", kRegSz, std::string("abc", 4)},
        {Windows::Win98, kNetTransKey, "MaxMTU", kRegDword, std::string("\xdc\x05\0\0", 4)},
        {Windows::Win98, kNetTransKey, "MaxMSS", kRegSz, std::string(5000, '1') + '\0'},
        {Windows::Win98, kMstcpKey, "SackOpts", kRegExpandSz, std::string("1", 2)},
    };
    for (const Case& c : cases) {
        TestMachine m(c.windows);
        if (c.windows == Windows::XP) {
            m.StockXP({"{A}"});
        } else {
            m.StockWin98();
        }
        SetRaw(m, c.key, c.name, c.type, c.bytes);
        ExpectRefused(m, c.key + "\\" + c.name);
    }
}

TEST(HostileInput, NumbersAtTheEdgesOf32BitsComeBackExactly) {
    TestMachine x(Windows::XP);
    x.StockXP({"{A}"});
    SetRaw(x, x.InterfaceKey("{A}"), "MTU", kRegDword, std::string("\xff\xff\xff\xff", 4));
    SetRaw(x, kTcpipParametersKey, "DefaultTTL", kRegDword, std::string("\0\0\0\x80", 4));
    const std::string before = x.MachineState();
    x.Optimize();
    x.Restore();
    EXPECT_EQ(before, x.MachineState());

    TestMachine w(Windows::Win98);
    w.StockWin98();
    w.reg->SaveRegString(HKLM, kMstcpKey, "DefaultRcvWindow", "-2147483648");
    w.reg->SaveRegString(HKLM, kMstcpKey, "DefaultTTL", " 2147483647");
    const std::string before98 = w.MachineState();
    w.Optimize();
    w.Restore();
    EXPECT_EQ(before98, w.MachineState());
}

// An interface name over 254 bytes cannot be listed: the list of interfaces
// is then incomplete, so nothing is backed up or tuned, and the user is told
// which key could not be read. A multi-byte name works like any other.
TEST(HostileInput, InterfaceNamesLongAndMultiByte) {
    TestMachine m(Windows::XP);
    const std::string longName = "{M" + std::string(253, 'x') + "}";  // 256 bytes
    m.StockXP({"{A}", "网卡", longName, "{Z}"});
    m.reg->SaveRegWord(HKLM, m.InterfaceKey("网卡"), "MTU", 1400);
    const std::string before = m.MachineState();
    m.Optimize(0, 0);
    EXPECT_EQ(text::kStatusBackupFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_NE(std::string::npos, m.controls.boxes.shown.back().prompt.find(
                                     text::Naming(text::kReasonReadFailed, kInterfacesKey)));
    EXPECT_EQ(before, m.MachineState());
    EXPECT_FALSE(m.FlagSet());

    m.reg->DeleteRegKey(HKLM, m.InterfaceKey(longName));
    const std::string shorter = m.MachineState();
    m.Optimize(0, 0);
    EXPECT_EQ(text::kStatusBackupExists, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1492, m.reg->ReadRegWord(HKLM, m.InterfaceKey("网卡"), "MTU"));
    m.Restore();
    EXPECT_EQ(shorter, m.MachineState());
}

}  // namespace
}  // namespace vornix::test
