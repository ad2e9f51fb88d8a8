// The Windows 98 layer is in this executable: a function Windows 98 only
// exports fails as there, through the import table and through
// GetProcAddress, and one it implements is the system's own; and a wide
// call put back on the Windows 98 path fails a run.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "engine/Form1.h"
#include "engine/RunTexts.h"
#include "support/DesignFacts.h"
#include "support/FormDriver.h"
#include "support/RecordingShutdownApi.h"
#include "support/RegistryBackends.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"
#include "system/win32/Win32VersionSource.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {
namespace {

void* Address(HMODULE module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

TEST(Win9xLayer, WhatWindows98LacksFailsAndWhatItHasWorks) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);

    const HMODULE user32 = GetModuleHandleA("user32.dll");
    ASSERT_NE(nullptr, user32);
    EXPECT_EQ(Address(user32, "CreateWindowExW"), reinterpret_cast<void*>(&CreateWindowExW))
        << "a lookup meets the same stub as the import";
    EXPECT_EQ(nullptr, CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    // Windows 98 implements MessageBoxW: the import is user32's own export.
    EXPECT_EQ(Address(user32, "MessageBoxW"), reinterpret_cast<void*>(&MessageBoxW));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(nullptr, Address(GetModuleHandleA("ntdll.dll"), "RtlGetVersion"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}

// The backup flag written in the NT family's wide form on Windows 98:
// the write fails with ERROR_CALL_NOT_IMPLEMENTED, and the run stops at its
// backup with nothing changed.
TEST(Win9xLayer, TheFlagWrittenWideFailsTheWindows98Run) {
    constexpr std::int32_t HKLM = kHkeyLocalMachine;
    const std::string product = design::kProductKey;
    Win32RegistryApi wide(win32::CharForm::Wide);
    Win32CodePage codePage;
    Win32VersionSource version;
    RecordingShutdownApi shutdown;
    Registry reg(wide, codePage);
    // The values of the 95/98/ME keys and of their subkeys, by key and name.
    const auto values = [&] {
        std::set<std::string> names;
        for (const std::string top : {design::kNetTransKey, design::kMstcpKey}) {
            std::set<std::string> keys{top};
            for (std::int32_t i = 1; i <= reg.SubKeyCount(HKLM, top); ++i) {
                keys.insert(top + "\\" + reg.SubKeyName(HKLM, top, i));
            }
            for (const std::string& key : keys) {
                for (std::int32_t i = 1; i <= reg.SubValueCount(HKLM, key); ++i) {
                    names.insert(key + "|" + reg.SubValueName(HKLM, key, i));
                }
            }
        }
        return names;
    };
    DeleteTree(wide, RootHandle(HKLM), product);
    const std::set<std::string> before = values();

    FormDriver driver;
    driver.form = std::make_unique<Form1>(
        SystemServices{wide, codePage, version, shutdown, {}, design::kProductName},
        driver.controls.View());
    driver.Optimize(0, 3);
    EXPECT_EQ(text::kStatusBackupFailed, driver.controls.lblOptimizeStatus.caption);
    RegKeyHandle key = 0;
    ASSERT_EQ(ERROR_SUCCESS, wide.CreateKey(RootHandle(HKLM), product, &key));
    const DWORD one = 1;
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED,
              wide.SetValueUnicode(key, design::kBackupFlag, REG_DWORD,
                                   reinterpret_cast<const std::uint8_t*>(&one), sizeof one));
    wide.CloseKey(key);
    driver.form.reset();

    // Whatever the run did, the machine is left as it was found.
    const std::set<std::string> after = values();
    for (const std::string& name : after) {
        if (before.count(name)) continue;
        const std::size_t bar = name.find('|');
        reg.DeleteRegValue(HKLM, name.substr(0, bar), name.substr(bar + 1));
    }
    DeleteTree(wide, RootHandle(HKLM), product);
    EXPECT_EQ(before, after) << "the run wrote TCP/IP values";
}

}  // namespace
}  // namespace vornix::test
