// End-to-end runs of the main window's logic against Wine's real registry,
// as Windows 98 or Windows XP: the prefix reports a Windows version per
// executable name (engine_wine_win98.exe, engine_wine_winxp.exe). Each test
// sets up the TCP/IP keys it needs and checks the registry afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"
#include "support/FormDriver.h"
#include "support/RecordingShutdownApi.h"
#include "support/RegistryBackends.h"
#include "support/WideKey.h"
#include "support/WineOnly.h"
#include "system/win32/WideText.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"
#include "system/win32/Win32VersionSource.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
constexpr const char* kProduct = "SOFTWARE\\Vornix Internet Optimizer";
constexpr const char* kNetTrans = kNetTransKey;
constexpr const char* kMstcp = kMstcpKey;
constexpr const char* kParameters = kTcpipParametersKey;
constexpr const char* kInterfaces = kInterfacesKey;
constexpr const char* kTestInterfaces[] = {"{VORNIX-TEST-A}", "{VORNIX-TEST-B}",
                                          "{VORNIX-TEST-C}"};

bool RunsAsWindows98() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path).find("win98") != std::string::npos;
}

class WineMachine : public testing::Test, protected FormDriver {
protected:
    void SetUp() override {
        form = std::make_unique<Form1>(
            SystemServices{api, codePage, version, shutdown, [this] { if (pump) pump(); },
                           "Vornix Internet Optimizer"},
            controls.View());
        Clean();
    }
    void TearDown() override {
        form.reset();
        Clean();
    }

    // Removes the product key, the test interfaces and every value the
    // program writes, so each test starts from a stock machine.
    void Clean() {
        DeleteTree(api, RootHandle(HKLM), kProduct);
        for (const char* itf : kTestInterfaces) {
            DeleteTree(api, RootHandle(HKLM), std::string(kInterfaces) + "\\" + itf);
        }
        for (const char* name : {"MaxMTU", "MaxMSS"}) reg.DeleteRegValue(HKLM, kNetTrans, name);
        for (const char* name : {"DefaultRcvWindow", "DefaultTTL", "PMTUBlackHoleDetect",
                                 "PMTUDiscovery", "SackOpts", "Tcp1323Opts"}) {
            reg.DeleteRegValue(HKLM, kMstcp, name);
        }
        for (const char* name : {"TcpWindowSize", "DefaultTTL", "EnablePMTUBHDetect",
                                 "EnablePMTUDiscovery", "SackOpts", "Tcp1323Opts"}) {
            reg.DeleteRegValue(HKLM, kParameters, name);
        }
        const std::int32_t n = reg.SubKeyCount(HKLM, kInterfaces);
        for (std::int32_t i = 1; i <= n; ++i) {
            const std::string key = std::string(kInterfaces) + "\\" + reg.SubKeyName(HKLM, kInterfaces, i);
            reg.DeleteRegValue(HKLM, key, "MTU");
            reg.DeleteRegValue(HKLM, key, "TcpWindowSize");
        }
        reg.CreateRegKey(HKLM, std::string(kNetTrans) + "\\0000");
        reg.CreateRegKey(HKLM, kMstcp);
        reg.CreateRegKey(HKLM, kParameters);
    }

    // Every key and value below `path`, with types and contents, in a form
    // that does not depend on the order values are enumerated in.
    std::string Snapshot(const std::string& path) {
        std::set<std::string> lines;
        const std::int32_t values = reg.SubValueCount(HKLM, path);
        for (std::int32_t i = 1; i <= values; ++i) {
            const std::string name = reg.SubValueName(HKLM, path, i);
            const std::string type = reg.SubValueType(HKLM, path, i);
            std::string data = type == "UNI"   ? reg.ReadRegString(HKLM, path, name)
                               : type == "WRD" ? std::to_string(reg.ReadRegWord(HKLM, path, name))
                                               : "?";
            lines.insert(path + " " + name + " " + type + " [" + data + "]");
        }
        const std::int32_t keys = reg.SubKeyCount(HKLM, path);
        std::string text;
        for (const auto& line : lines) text += line + "\n";
        for (std::int32_t i = 1; i <= keys; ++i) {
            text += Snapshot(path + "\\" + reg.SubKeyName(HKLM, path, i));
        }
        return text;
    }
    std::string MachineState() {
        return Snapshot("System\\CurrentControlSet\\Services\\Class\\NetTrans") + Snapshot(kMstcp) +
               Snapshot(kParameters);
    }

    std::string InterfaceKey(const char* name) { return std::string(kInterfaces) + "\\" + name; }

    Win32RegistryApi api;
    Win32CodePage codePage;
    Win32VersionSource version;
    RecordingShutdownApi shutdown;
    std::function<void()> pump;
    Registry reg{api, codePage};
};

TEST_F(WineMachine, ReportsTheWindowsItWasConfiguredFor) {
    clsOS os(version);
    if (RunsAsWindows98()) {
        EXPECT_EQ(1, os.OperatingPlatform());
        EXPECT_EQ(2, os.OperatingSystem());
    } else {
        EXPECT_EQ(2, os.OperatingPlatform());
        EXPECT_EQ(6, os.OperatingSystem());
    }
    EXPECT_EQ(936u, GetACP());
}

TEST_F(WineMachine, StockMachineOptimizedThenRestoredExactly) {
    const std::string before = MachineState();
    Optimize(0, 3);
    ASSERT_EQ(text::kStatusBackupExists, controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1, reg.ReadRegWord(HKLM, kProduct, kBackupFlagName));
    if (RunsAsWindows98()) {
        EXPECT_EQ(" 1492", reg.ReadRegString(HKLM, kNetTrans, "MaxMTU"));
        EXPECT_EQ(" 1452", reg.ReadRegString(HKLM, kNetTrans, "MaxMSS"));
        EXPECT_EQ(" 47916", reg.ReadRegString(HKLM, kMstcp, "DefaultRcvWindow"));
        EXPECT_EQ(" 128", reg.ReadRegString(HKLM, kMstcp, "DefaultTTL"));
        EXPECT_EQ(" 1", reg.ReadRegString(HKLM, kMstcp, "Tcp1323Opts"));
        EXPECT_EQ(kAbsent, ValueType(reg, kParameters, "DefaultTTL"));
        EXPECT_EQ(8, reg.SubValueCount(HKLM, std::string(kProduct) + "\\Platform_Windows_95_98_ME") - 2);
    } else {
        EXPECT_EQ(47916, reg.ReadRegWord(HKLM, kParameters, "TcpWindowSize"));
        EXPECT_EQ(128, reg.ReadRegWord(HKLM, kParameters, "DefaultTTL"));
        EXPECT_EQ(0, reg.ReadRegWord(HKLM, kParameters, "EnablePMTUBHDetect"));
        EXPECT_EQ(static_cast<std::int32_t>(kRegDword),
                  ValueType(reg, kParameters, "EnablePMTUBHDetect"));
        EXPECT_EQ(kAbsent, ValueType(reg, kMstcp, "DefaultTTL"));
        EXPECT_EQ(kAbsent, ValueType(reg, kNetTrans, "MaxMSS"));
    }
    Restore();
    EXPECT_EQ(text::kStatusRestored, controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, MachineState());
}

TEST_F(WineMachine, TunedMachineWithOwnInterfaceValuesRestoredExactly) {
    if (RunsAsWindows98()) {
        reg.SaveRegString(HKLM, kNetTrans, "MaxMTU", " 576");
        reg.SaveRegString(HKLM, kMstcp, "DefaultTTL", " 32");
        reg.SaveRegString(HKLM, kMstcp, "SackOpts", "-1");
    } else {
        reg.SaveRegWord(HKLM, InterfaceKey(kTestInterfaces[0]), "MTU", 1400);
        reg.SaveRegWord(HKLM, InterfaceKey(kTestInterfaces[1]), "MTU", 9000);
        reg.SaveRegWord(HKLM, InterfaceKey(kTestInterfaces[1]), "TcpWindowSize", 65535);
        reg.SaveRegWord(HKLM, InterfaceKey(kTestInterfaces[2]), "EnableDHCP", 1);
        reg.SaveRegWord(HKLM, kParameters, "DefaultTTL", 64);
        reg.SaveRegWord(HKLM, kParameters, "Tcp1323Opts", 3);
    }
    const std::string before = MachineState();
    // Ticks that arrive between interfaces must wait for the step.
    int nested = 0;
    pump = [&] {
        ++nested;
        form->tmrOptimize_Timer();
    };
    Optimize(1, 5);
    ASSERT_EQ(text::kStatusBackupExists, controls.lblOptimizeStatus.caption);
    if (!RunsAsWindows98()) {
        EXPECT_GT(nested, 0);
        for (const char* itf : kTestInterfaces) {
            EXPECT_EQ(1500, reg.ReadRegWord(HKLM, InterfaceKey(itf), "MTU")) << itf;
            EXPECT_EQ(2064440, reg.ReadRegWord(HKLM, InterfaceKey(itf), "TcpWindowSize")) << itf;
        }
    } else {
        EXPECT_EQ(" 1500", reg.ReadRegString(HKLM, kNetTrans, "MaxMTU"));
    }
    Restore();
    EXPECT_EQ(before, MachineState());
    if (!RunsAsWindows98()) {
        EXPECT_EQ(9000, reg.ReadRegWord(HKLM, InterfaceKey(kTestInterfaces[1]), "MTU"));
        EXPECT_EQ(kAbsent,
                  ValueType(reg, InterfaceKey(kTestInterfaces[2]), "MTU"));
    } else {
        EXPECT_EQ(" 576", reg.ReadRegString(HKLM, kNetTrans, "MaxMTU"));
    }
}

// Gives everyone `access` to the key, and nothing else.
bool SetKeyAccess(const std::wstring& path, DWORD access) {
    WideKey key(HKEY_LOCAL_MACHINE, path, WRITE_DAC);
    if (!key.get()) return false;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!CreateWellKnownSid(WinWorldSid, nullptr, sid, &sidSize)) return false;
    alignas(DWORD) BYTE aclBuffer[256];
    auto* acl = reinterpret_cast<ACL*>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    return InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
           AddAccessAllowedAce(acl, ACL_REVISION, access, sid) &&
           InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
           RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
}

// An interface key that can be written but not read, as a security product
// or a damaged permission leaves it: the backup must not record its values
// as absent, and nothing may change, whether or not the user then restores.
TEST_F(WineMachine, AnInterfaceThatRefusesReadsKeepsItsOwnValues) {
    if (RunsAsWindows98()) GTEST_SKIP() << "interface keys belong to the NT family";
    const std::string itf = InterfaceKey(kTestInterfaces[0]);
    reg.SaveRegWord(HKLM, itf, "MTU", 1400);
    reg.SaveRegWord(HKLM, itf, "TcpWindowSize", 65535);
    const std::wstring wide = Widen(itf);
    ASSERT_TRUE(SetKeyAccess(wide, KEY_SET_VALUE | WRITE_DAC | READ_CONTROL | DELETE));
    const std::string before = MachineState();
    Optimize(0, 3);
    EXPECT_EQ(text::kStatusBackupFailed, controls.lblOptimizeStatus.caption);
    EXPECT_NE(std::string::npos,
              controls.boxes.shown.back().prompt.find(text::Naming(text::kReasonReadFailed, itf)));
    EXPECT_EQ(0, reg.ReadRegWord(HKLM, kProduct, kBackupFlagName));
    Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, MachineState());
    ASSERT_TRUE(SetKeyAccess(wide, KEY_ALL_ACCESS));
    EXPECT_EQ(1400, reg.ReadRegWord(HKLM, itf, "MTU"));
    EXPECT_EQ(65535, reg.ReadRegWord(HKLM, itf, "TcpWindowSize"));
}

// The 64-bit build keeps its store where a 32-bit program keeps it, in the
// 32-bit view of SOFTWARE (Wow6432Node): it finds and restores a backup an
// earlier 32-bit version made there, and writes nothing to the 64-bit view.
TEST_F(WineMachine, TheStoreOfA32BitProgramIsFoundAndRestored) {
    if (RunsAsWindows98()) GTEST_SKIP() << "Wine as Windows 98 takes no registry view";
    if (sizeof(void*) != 8) GTEST_SKIP() << "a 32-bit build sees the 32-bit view anyway";
    const std::wstring wow = L"SOFTWARE\\Wow6432Node\\Vornix Internet Optimizer";
    {
        WideKey store(HKEY_LOCAL_MACHINE, wow + L"\\Platform_Windows_NT_2K_XP",
                      KEY_SET_VALUE | KEY_WOW64_64KEY, true);
        ASSERT_TRUE(store.get());
        const std::pair<const wchar_t*, DWORD> saved[] = {
            {L"MTU", 1400},          {L"TcpWindowSize", 64240}, {L"DefaultTTL", 64},
            {L"EnablePMTUBHDetect", 0}, {L"EnablePMTUDiscovery", 1}, {L"SackOpts", 1},
            {L"Tcp1323Opts", 0}};
        for (const auto& [name, value] : saved) {
            RegSetValueExW(store.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
        }
        WideKey product(HKEY_LOCAL_MACHINE, wow, KEY_SET_VALUE | KEY_WOW64_64KEY, true);
        const DWORD one = 1;
        RegSetValueExW(product.get(), Widen(kBackupFlagName).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&one), sizeof one);
    }
    reg.CreateRegKey(HKLM, InterfaceKey(kTestInterfaces[0]));
    Restore();
    EXPECT_EQ(text::kStatusRestored, controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1400, reg.ReadRegWord(HKLM, InterfaceKey(kTestInterfaces[0]), "MTU"));
    EXPECT_EQ(64240, reg.ReadRegWord(HKLM, InterfaceKey(kTestInterfaces[0]), "TcpWindowSize"));
    EXPECT_EQ(64, reg.ReadRegWord(HKLM, kParameters, "DefaultTTL"));
    EXPECT_FALSE(WideKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vornix Internet Optimizer",
                         KEY_READ | KEY_WOW64_64KEY).get())
        << "nothing in the 64-bit view";
}

}  // namespace
}  // namespace vornix::test
