#include "engine/WindowsReads.h"

#include <set>
#include <string_view>

#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

using Answer = WindowsReads::Answer;

// A row applies to the NT versions from `from` to `to` (major * 100 +
// minor: 501 is XP; the 95/98/ME family has rows of its own), to an
// interface key's value or to the family's keys, and to one name ("" for any
// name).
struct Row {
    bool win9x;
    unsigned from, to;
    int inInterface;  // 1 interface keys, 0 the family's own keys, -1 either
    const char* name;
    WindowsReads reads;
};

constexpr unsigned kAny = 0xFFFFFFFF;

constexpr const char* kAutoTuning =
    "自 Windows Vista 起接收窗口由“接收窗口自动调整”决定，此注册表值被忽略";
constexpr const char* kNotEstablished =
    "Microsoft 的文档未说明 Windows Vista 及更高版本是否读取此值";

// First matching row wins.
constexpr Row kRows[] = {
    // Windows 95/98/ME.
    {true, 0, kAny, 0, "MaxMTU",
     {Answer::Unknown,
      "KB 250663 记载 MaxMTU 位于各网卡绑定的 NetTrans\\000n 键，而非本程序写入的 NetTrans 键本身",
      ""}},
    {true, 0, kAny, 0, "MaxMSS",
     {Answer::Unknown, "Microsoft 的文档未记载 NetTrans 键本身的 MaxMSS", ""}},
    {true, 0, kAny, 0, "", {Answer::Read, "Windows 95/98/ME 读取 VxD\\MSTCP 下的此值（KB 158474）", ""}},
    // Windows 2000, XP and Server 2003.
    {false, 500, 599, 1, "MTU",
     {Answer::Read, "只能调低网卡本身的 MTU，不能调高（Windows 2000 TCP/IP 参考）", ""}},
    {false, 500, 599, 1, "TcpWindowSize", {Answer::Read, "优先于 Parameters 中的全局值", ""}},
    {false, 500, 599, -1, "", {Answer::Read, "Windows 2000、XP 和 Server 2003 读取此值", ""}},
    // Windows Vista and later; from Windows 8 on the auto-tuning level is a
    // PowerShell setting too.
    {false, 602, kAny, -1, "TcpWindowSize",
     {Answer::NotRead, kAutoTuning,
      "Get-NetTCPSetting（AutoTuningLevelLocal）或 netsh interface tcp show global"}},
    {false, 600, 601, -1, "TcpWindowSize",
     {Answer::NotRead, kAutoTuning, "netsh interface tcp show global"}},
    {false, 600, kAny, 0, "DefaultTTL", {Answer::Read, "Windows Vista 及更高版本仍读取此值", ""}},
    {false, 600, kAny, 0, "EnablePMTUDiscovery",
     {Answer::Read, "Windows Vista 及更高版本仍读取此值", ""}},
    {false, 600, kAny, 0, "EnablePMTUBHDetect",
     {Answer::Read,
      "仍读取此值；自 Windows Vista 起黑洞检测默认开启（KB 925280），写入 0 会将其关闭", "",
      true}},
    {false, 600, kAny, 0, "Tcp1323Opts",
     {Answer::Unknown, "Microsoft 的文档未说明；时间戳由 netsh 或 Set-NetTCPSetting 设置",
      "netsh interface tcp show global"}},
    {false, 600, kAny, 1, "MTU",
     {Answer::Unknown,
      "Microsoft 只记载了 netsh interface ipv4 set subinterface 和 Set-NetIPInterface -NlMtuBytes",
      "netsh interface ipv4 show subinterfaces"}},
    {false, 600, kAny, -1, "", {Answer::Unknown, kNotEstablished, ""}},
    // Windows NT 3.x and 4.0.
    {false, 0, 499, -1, "",
     {Answer::Unknown, "此处依据的 Microsoft 文档从 Windows 2000 开始", ""}},
};

// Newer than the Windows the program was made for: Vista (NT 6.0) and later.
bool IsNewerWindows(const OsVersionRecord& version) {
    return version.dwPlatformId == kPlatformNT && version.dwMajorVersion >= 6;
}

}  // namespace

WindowsReads ReadsOn(const OsVersionRecord& version, bool inInterface, const std::string& name) {
    const bool win9x = version.dwPlatformId == kPlatformWindows;
    const unsigned release = version.dwMajorVersion * 100 + version.dwMinorVersion;
    for (const Row& row : kRows) {
        if (row.win9x != win9x) continue;
        if (!win9x && (release < row.from || release > row.to)) continue;
        if (row.inInterface != -1 && row.inInterface != (inInterface ? 1 : 0)) continue;
        if (*row.name != '\0' && std::string_view(row.name) != name) continue;
        return row.reads;
    }
    return {};
}

const char* AnswerId(WindowsReads::Answer answer) {
    switch (answer) {
        case Answer::Read: return "yes";
        case Answer::NotRead: return "no";
        case Answer::Unknown: return "unknown";
    }
    return "unknown";
}

std::vector<std::string> SummaryNotes(const OsVersionRecord& version) {
    if (!IsNewerWindows(version)) return {};
    std::vector<std::string> lines;
    std::set<std::string_view> named;
    auto add = [&](bool inInterface, const char* name) {
        const WindowsReads reads = ReadsOn(version, inInterface, name);
        const char* what = reads.answer == Answer::NotRead ? text::kNotReadHere
                           : reads.changesDefault          ? text::kChangesDefaultHere
                                                           : nullptr;
        if (!what || !named.insert(name).second) return;
        std::string line = std::string(name) + what + reads.reason;
        if (*reads.successor != '\0') line += text::kSeeAlso + std::string(reads.successor);
        lines.push_back(std::move(line));
    };
    const FamilyLocations& where = LocationsOf(Family::NT);
    for (const TcpipValue& v : where.interfaceValues) add(true, v.name);
    for (const TcpipKey& key : where.keys) {
        for (const TcpipValue& v : key.values) add(false, v.name);
    }
    if (lines.empty()) return {};
    lines.insert(lines.begin(), text::kOnThisWindows + std::to_string(version.dwMajorVersion) + "." +
                                    std::to_string(version.dwMinorVersion) + "：");
    return lines;
}

std::vector<std::string> ClosingNotes(const OsVersionRecord& version,
                                      const std::vector<WrittenValue>& written) {
    if (!IsNewerWindows(version) || written.empty()) return {};
    std::size_t read = 0, notRead = 0;
    for (const WrittenValue& v : written) {
        const Answer answer = ReadsOn(version, v.inInterface, v.name).answer;
        read += answer == Answer::Read;
        notRead += answer == Answer::NotRead;
    }
    return {text::ReadCount(written.size(), read, notRead, written.size() - read - notRead)};
}

}  // namespace vornix
