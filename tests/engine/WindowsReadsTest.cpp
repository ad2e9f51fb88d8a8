// What each Windows reads of the values the program writes, and what an
// optimize tells of it: nothing more on the Windows the program was made
// for, and from Windows Vista on, by the real version, what this Windows
// does not read or reads against its own default.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/RunTexts.h"
#include "engine/WindowsReads.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

// What each Windows reads of the values the program writes, by release.
TEST(WindowsReads, EachReleaseReadsWhatMicrosoftDocuments) {
    using Answer = WindowsReads::Answer;
    struct Case {
        std::uint32_t platform, major, minor;
        bool inInterface;
        const char* name;
        Answer answer;
        const char* successor;  // a part of it, or "" for none
    };
    const Case cases[] = {
        {2, 5, 1, false, "TcpWindowSize", Answer::Read, ""},
        {2, 5, 0, true, "MTU", Answer::Read, ""},
        {2, 5, 2, false, "SackOpts", Answer::Read, ""},
        {2, 6, 0, false, "TcpWindowSize", Answer::NotRead, "netsh interface tcp show global"},
        {2, 6, 1, true, "TcpWindowSize", Answer::NotRead, "netsh"},
        {2, 6, 2, true, "TcpWindowSize", Answer::NotRead, "Get-NetTCPSetting"},
        {2, 10, 0, false, "DefaultTTL", Answer::Read, ""},
        {2, 10, 0, false, "EnablePMTUDiscovery", Answer::Read, ""},
        {2, 10, 0, false, "EnablePMTUBHDetect", Answer::Read, ""},
        {2, 10, 0, false, "SackOpts", Answer::Unknown, ""},
        {2, 10, 0, false, "Tcp1323Opts", Answer::Unknown, "netsh"},
        {2, 10, 0, true, "MTU", Answer::Unknown, "subinterfaces"},
        {2, 4, 0, false, "DefaultTTL", Answer::Unknown, ""},
        {1, 4, 10, false, "DefaultRcvWindow", Answer::Read, ""},
        {1, 4, 90, false, "MaxMTU", Answer::Unknown, ""},
        {1, 4, 0, false, "MaxMSS", Answer::Unknown, ""},
    };
    for (const Case& c : cases) {
        OsVersionRecord version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        const WindowsReads reads = ReadsOn(version, c.inInterface, c.name);
        const std::string where = std::to_string(c.major) + "." + std::to_string(c.minor) + " " + c.name;
        EXPECT_EQ(c.answer, reads.answer) << where;
        EXPECT_NE('\0', *reads.reason) << where;
        EXPECT_NE(std::string::npos, std::string(reads.successor).find(c.successor)) << where;
        if (*c.successor == '\0') {
            EXPECT_STREQ("", reads.successor) << where;
        }
    }
}

TEST(WindowsReads, OnWindows10TheRunTellsWhatThisWindowsIgnores) {
    TestMachine m(TestMachine::Windows::XP);
    m.StockXP({"{A}", "{B}", "{C}"});
    m.version.Set(kPlatformNT, 10, 0, 19045);
    m.Optimize(0, 2);
    const std::string& summary = m.controls.boxes.shown.front().prompt;
    EXPECT_EQ(0u, summary.find("您的互联网连接将被优化的更快\r\n"));
    EXPECT_NE(std::string::npos,
              summary.find("RFC 1323 选项\t\t\t= 1\r\n\r\n此 Windows 版本 10.0：\r\n"
                           "TcpWindowSize（此 Windows 不读取）：自 Windows Vista 起接收窗口由"));
    EXPECT_NE(std::string::npos, summary.find("；查看：Get-NetTCPSetting（AutoTuningLevelLocal）"));
    EXPECT_NE(std::string::npos,
              summary.find("\r\nEnablePMTUBHDetect（会改变此 Windows 的默认设置）：仍读取此值"));
    EXPECT_EQ(summary.find("TcpWindowSize"), summary.rfind("TcpWindowSize")) << "named once";
    EXPECT_EQ(std::string::npos, summary.find("DefaultTTL"));
    // Seven values, each counted once: MTU and the receive window went into
    // three interfaces, and the window into Parameters too.
    EXPECT_EQ(RestartNeededText(RunKind::Optimize) + text::kRestartQuestion +
                  "\r\n\r\n据 Microsoft 的文档，写入的 7 个值中，此 Windows 读取 3 个，不读取 1 个，"
                  "3 个是否读取未知。",
              m.controls.boxes.shown.back().prompt);

    // A restore's closing question says nothing more; nor do the Windows the
    // program was made for.
    m.Restore();
    EXPECT_EQ(RestartNeededText(RunKind::Restore) + text::kRestartQuestion,
              m.controls.boxes.shown.back().prompt);
    for (const auto& [platform, major, minor] : {std::tuple{1u, 4u, 10u}, {2u, 4u, 0u}, {2u, 5u, 2u}}) {
        OsVersionRecord version{};
        version.dwPlatformId = platform;
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
        EXPECT_TRUE(SummaryNotes(version).empty()) << major << "." << minor;
        EXPECT_TRUE(ClosingNotes(version, {{false, "TcpWindowSize"}}).empty()) << major << "." << minor;
    }
}

}  // namespace
}  // namespace vornix::test
