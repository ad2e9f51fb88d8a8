// Version detection, restart requests, and the Registry class's handling of
// its handles, against fakes.
#include <gtest/gtest.h>

#include "support/RecordingShutdownApi.h"
#include "support/MemoryRegistryApi.h"
#include "system/OpenKey.h"
#include "system/Registry.h"
#include "system/Utf16.h"
#include "system/clsOS.h"
#include "system/clsShutdownNT.h"
#include "support/RegistryBackends.h"

namespace vornix::test {
namespace {

TEST(clsOS, MapsVersionRecordsToPlatformAndRelease) {
    struct Row {
        std::uint32_t platform, major, minor;
        std::int32_t code;
    } rows[] = {
        {2, 5, 1, 6}, {2, 5, 0, 5}, {2, 5, 2, 0}, {2, 6, 0, 0}, {2, 10, 0, 0}, {2, 4, 0, 4},
        {1, 4, 0, 1}, {1, 4, 10, 2}, {1, 4, 90, 3}, {1, 4, 20, 0}, {1, 7, 10, 2}, {0, 3, 10, 0},
    };
    for (const Row& r : rows) {
        SettableVersionSource version(r.platform, r.major, r.minor);
        clsOS os(version);
        EXPECT_EQ(static_cast<std::int32_t>(r.platform), os.OperatingPlatform());
        EXPECT_EQ(r.code, os.OperatingSystem()) << r.platform << " " << r.major << "." << r.minor;
    }
    SettableVersionSource failing;
    failing.SetFailing();
    EXPECT_EQ(0, clsOS(failing).OperatingPlatform());
    EXPECT_EQ(0, clsOS(failing).OperatingSystem());
}

TEST(clsShutdownNT, EnablesThePrivilegeOnNtOnlyThenRequestsTheRestart) {
    RecordingShutdownApi api;
    SettableVersionSource xp(2, 5, 1);
    EXPECT_TRUE(clsShutdownNT(api, xp).RebootNT(-1));
    // Forced only for programs that hang (EWX_FORCEIFHUNG), with the
    // reason "Operating System: Reconfiguration (Planned)".
    const std::vector<std::string> expected{
        "GetCurrentProcess", "OpenProcessToken 40",
        "LookupPrivilegeValueA '' SeShutdownPrivilege",
        "AdjustTokenPrivileges 68 0 count=1 luid=19 attr=2 len=16", "CloseHandle 68",
        "ExitWindowsEx 18 2147614724"};
    EXPECT_EQ(expected, api.calls);

    // Windows 2000 knows EWX_FORCEIFHUNG but takes no reason; NT 4.0 and the
    // 95/98/ME family get a plain restart; 1 counts as True like -1.
    const struct {
        std::uint32_t platform, major, minor;
        const char* request;
    } rows[] = {{2, 5, 0, "ExitWindowsEx 18 0"}, {2, 4, 0, "ExitWindowsEx 2 0"},
                {1, 4, 10, "ExitWindowsEx 2 0"}, {2, 10, 0, "ExitWindowsEx 18 2147614724"}};
    for (const auto& row : rows) {
        RecordingShutdownApi other;
        SettableVersionSource version(row.platform, row.major, row.minor);
        EXPECT_TRUE(clsShutdownNT(other, version).RebootNT(1));
        EXPECT_EQ(row.request, other.calls.back()) << row.major << "." << row.minor;
        EXPECT_EQ(row.platform == 2 ? 6u : 1u, other.calls.size());
    }

    // A restart that could not be started says so: the privilege missing
    // (ERROR_NOT_ALL_ASSIGNED), no token, or ExitWindowsEx refusing.
    RecordingShutdownApi refused;
    refused.holdsPrivilege = false;
    EXPECT_FALSE(clsShutdownNT(refused, xp).RebootNT(-1));
    RecordingShutdownApi noToken;
    noToken.grantToken = false;
    EXPECT_FALSE(clsShutdownNT(noToken, xp).RebootNT(-1));
    RecordingShutdownApi failing;
    failing.exitSucceeds = false;
    EXPECT_FALSE(clsShutdownNT(failing, xp).RebootNT(-1));
}

TEST(clsShutdownNT, FlagsFollowMethodAndForceAndLogOffNeverTouchesTheToken) {
    RecordingShutdownApi api;
    SettableVersionSource nt(2, 5, 1);
    clsShutdownNT shutdown(api, nt);
    shutdown.LogOffNT(0);
    shutdown.LogOffNT(-1);
    EXPECT_EQ((std::vector<std::string>{"ExitWindowsEx 0 0", "ExitWindowsEx 4 0"}), api.calls);
    api.calls.clear();
    api.grantToken = false;  // no token: the request still goes out, nothing is closed
    shutdown.ShutDownNT(0);
    EXPECT_EQ("AdjustTokenPrivileges 0 0 count=1 luid=19 attr=2 len=16", api.calls[3]);
    EXPECT_EQ("ExitWindowsEx 1 0", api.calls.back());
    EXPECT_EQ(5u, api.calls.size());
    api.calls.clear();
    shutdown.ShutDownNT(-1);
    shutdown.RebootNT(0);
    EXPECT_EQ("ExitWindowsEx 5 0", api.calls[4]);
    EXPECT_EQ("ExitWindowsEx 2 2147614724", api.calls.back());
}

// The program's own UTF-8 conversion, which Windows 95 needs, converts as
// the system's does: every character both ways, and what is not well formed
// as U+FFFD, without losing what follows it.
TEST(Utf16, ConvertsEveryCharacterAndReplacesWhatIsNotWellFormed) {
    const std::string text = "A\u00e9\u5907\u4efd    \U0001D11E";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ((std::u16string{u'A', 0x00E9, 0x5907, 0x4EFD, ' ', ' ', ' ', ' ', 0xD834, 0xDD1E}),
              wide);
    EXPECT_EQ(text, Utf16ToUtf8(wide));
    // A stray continuation byte, a cut-off sequence, an overlong form and an
    // encoded surrogate; then a lone surrogate in UTF-16.
    EXPECT_EQ(u"\uFFFDa\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFDd\uFFFD",
              Utf8ToUtf16("\x80" "a\xE5\x90" "b\xC0\xAF" "c\xED\xA0\x80" "d\xF0\x9D"));
    EXPECT_EQ("x\uFFFDy", Utf16ToUtf8(std::u16string{u'x', 0xDC00, u'y'}));
}

TEST(Registry, ClosesEveryKeyItOpensOnEveryPath) {
    const AnsiCodePage& codePage = TestCodePage();
    MemoryRegistryApi api(codePage);
    Registry reg(api, codePage);
    const std::int32_t hklm = kHkeyLocalMachine;
    reg.SaveRegWord(hklm, "S\\k", "W", 1);
    reg.SaveRegString(hklm, "S\\k", "T", "x");
    reg.ReadRegWord(hklm, "S\\k", "T");
    reg.ReadRegString(hklm, "S\\k", "W");
    reg.ReadRegString(hklm, "S\\none", "W");
    reg.SubKeyName(hklm, "S", 1);
    reg.SubKeyName(hklm, "S", 9);
    reg.SubValueType(hklm, "S\\k", 2);
    reg.SubValueCount(hklm, "S\\k");
    reg.DeleteRegValue(hklm, "S\\k", "W");
    reg.CreateRegKey(hklm, "S\\k2");
    EXPECT_EQ(0u, api.OpenHandles());
    // A refused create leaves nothing to close and writes nothing.
    api.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::Create ? kErrorAccessDenied : kErrorSuccess;
    });
    EXPECT_FALSE(reg.CreateRegKey(hklm, "S\\k3"));
    reg.SaveRegWord(hklm, "S\\k", "W", 2);
    api.SetFaultHook({});
    EXPECT_EQ(0, reg.ReadRegWord(hklm, "S\\k", "W"));
    EXPECT_EQ(0u, api.OpenHandles());

    // An owner keeps its key until another one has opened in its place.
    {
        OpenKey key(api);
        ASSERT_TRUE(key.Open(hklm, "S\\k"));
        const RegKeyHandle first = key.get();
        EXPECT_FALSE(key.Open(hklm, "S\\none"));
        EXPECT_EQ(first, key.get());
        EXPECT_TRUE(key.Open(hklm, "S\\k2"));
        EXPECT_NE(first, key.get());
        EXPECT_EQ(1u, api.OpenHandles());
    }
    EXPECT_EQ(0u, api.OpenHandles());
}

}  // namespace
}  // namespace vornix::test
