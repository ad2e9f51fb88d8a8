// The engine against Wine's real registry, as Windows 98 or Windows XP: the
// prefix reports a Windows version per executable name
// (engine_wine_win98.exe, engine_wine_winxp.exe). Each executable runs the
// engine's end-to-end suite (tests/engine/EndToEndTest.cpp) on the real
// registry, and these cases only a real registry can make.
#include <gtest/gtest.h>

#include <string>

#include "engine/RunTexts.h"
#include "support/TestMachine.h"
#include "support/WideKey.h"
#include "support/WineOnly.h"
#include "system/win32/WideText.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;

class WineMachine : public testing::Test {
protected:
    bool RunsAsWindows98() { return m.family() == Family::Win9x; }
    TestMachine m{TestMachine::Windows::XP, TestMachine::Backend::Real};
};

TEST_F(WineMachine, ReportsTheWindowsItWasConfiguredFor) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::string(path).find("win98") != std::string::npos, RunsAsWindows98()) << path;
    EXPECT_EQ(936u, GetACP());
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
    const std::string itf = m.InterfaceKey("{VORNIX-TEST-A}");
    m.reg->SaveRegWord(HKLM, itf, "MTU", 1400);
    m.reg->SaveRegWord(HKLM, itf, "TcpWindowSize", 65535);
    const std::wstring wide = Widen(itf);
    ASSERT_TRUE(SetKeyAccess(wide, KEY_SET_VALUE | WRITE_DAC | READ_CONTROL | DELETE));
    const std::string before = m.MachineState();
    m.Optimize(0, 3);
    EXPECT_EQ(text::kStatusBackupFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_NE(std::string::npos,
              m.controls.boxes.shown.back().prompt.find(text::Naming(text::kReasonReadFailed, itf)));
    EXPECT_EQ(0, m.reg->ReadRegWord(HKLM, kProductKey, kBackupFlagName));
    m.Restore();
    EXPECT_EQ(text::kStatusRestoreFailed, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(before, m.MachineState());
    ASSERT_TRUE(SetKeyAccess(wide, KEY_ALL_ACCESS));
    EXPECT_EQ(1400, m.reg->ReadRegWord(HKLM, itf, "MTU"));
    EXPECT_EQ(65535, m.reg->ReadRegWord(HKLM, itf, "TcpWindowSize"));
}

// The 64-bit build keeps its store where a 32-bit program keeps it, in the
// 32-bit view of SOFTWARE (Wow6432Node): it finds and restores a backup an
// earlier 32-bit version made there, and writes nothing to the 64-bit view.
TEST_F(WineMachine, TheStoreOfA32BitProgramIsFoundAndRestored) {
    if (RunsAsWindows98()) GTEST_SKIP() << "Wine as Windows 98 takes no registry view";
    if (sizeof(void*) != 8) GTEST_SKIP() << "a 32-bit build sees the 32-bit view anyway";
    const std::wstring wow = L"SOFTWARE\\Wow6432Node\\" + Widen(design::kProductName);
    {
        WideKey store(HKEY_LOCAL_MACHINE, wow + L"\\" + Widen(design::kNtStore),
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
        RegSetValueExW(product.get(), Widen(design::kBackupFlag).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&one), sizeof one);
    }
    m.reg->CreateRegKey(HKLM, m.InterfaceKey("{VORNIX-TEST-A}"));
    m.Restore();
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
    EXPECT_EQ(1400, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-A}"), "MTU"));
    EXPECT_EQ(64240, m.reg->ReadRegWord(HKLM, m.InterfaceKey("{VORNIX-TEST-A}"), "TcpWindowSize"));
    EXPECT_EQ(64, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "DefaultTTL"));
    EXPECT_FALSE(WideKey(HKEY_LOCAL_MACHINE, Widen(kProductKey),
                         KEY_READ | KEY_WOW64_64KEY).get())
        << "nothing in the 64-bit view";
}

}  // namespace
}  // namespace vornix::test
