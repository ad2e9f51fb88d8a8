#include "engine/WindowsReads.h"

#include <map>
#include <set>
#include <string_view>

#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"

namespace vornix {
namespace {

using Answer = WindowsReads::Answer;

// What Windows reads of any value the rows say nothing more of: 95/98/ME,
// then the NT releases from `from` to `to` (major * 100 + minor).
constexpr WindowsReads kWin9xReads{Answer::Read,
                                   "Windows 95/98/ME 读取 VxD\\MSTCP 下的此值（KB 158474）", ""};
constexpr ReadsRule kNtReads[] = {
    {500, 599, ReadsWhere::kEither, {Answer::Read, "Windows 2000、XP 和 Server 2003 读取此值", ""}},
    {600, kAnyLater, ReadsWhere::kEither,
     {Answer::Unknown, "Microsoft 的文档未说明 Windows Vista 及更高版本是否读取此值", ""}},
    {0, 499, ReadsWhere::kEither,
     {Answer::Unknown, "此处依据的 Microsoft 文档从 Windows 2000 开始", ""}},
};

const WindowsReads* FirstFitting(std::span<const ReadsRule> rules, unsigned release, bool inInterface) {
    for (const ReadsRule& rule : rules) {
        if (release < rule.from || release > rule.to) continue;
        if (rule.where != ReadsWhere::kEither &&
            (rule.where == ReadsWhere::kInInterface) != inInterface) {
            continue;
        }
        return &rule.reads;
    }
    return nullptr;
}

// Newer than the Windows the program was made for: Vista (NT 6.0) and later.
bool IsNewerWindows(const OsVersionRecord& version) {
    return version.dwPlatformId == kPlatformNT && version.dwMajorVersion >= 6;
}

}  // namespace

WindowsReads ReadsOn(const OsVersionRecord& version, bool inInterface, const std::string& name) {
    if (version.dwPlatformId == kPlatformWindows) {
        const TcpipValue* value = FindValue(Family::Win9x, inInterface, name);
        return value && value->win9xReads ? *value->win9xReads : kWin9xReads;
    }
    const unsigned release = version.dwMajorVersion * 100 + version.dwMinorVersion;
    if (const TcpipValue* value = FindValue(Family::NT, inInterface, name)) {
        if (const WindowsReads* reads = FirstFitting(value->ntReads, release, inInterface)) return *reads;
    }
    const WindowsReads* reads = FirstFitting(kNtReads, release, inInterface);
    return reads ? *reads : WindowsReads{};
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
    for (const Located& v : where.interfaceValues) add(true, v.name);
    for (const TcpipKey& key : where.keys) {
        for (const Located& v : key.values) add(false, v.name);
    }
    if (lines.empty()) return {};
    lines.insert(lines.begin(), text::kOnThisWindows + std::to_string(version.dwMajorVersion) + "." +
                                    std::to_string(version.dwMinorVersion) + "：");
    return lines;
}

std::vector<std::string> ClosingNotes(const OsVersionRecord& version,
                                      const std::vector<WrittenValue>& written) {
    if (!IsNewerWindows(version) || written.empty()) return {};
    // A value counts once wherever it was written (the receive window goes
    // into every interface and into Parameters): read when this Windows
    // reads it in one of those places, not read when it reads it in none.
    std::map<const TcpipValue*, std::set<Answer>> values;
    for (const WrittenValue& v : written) {
        values[FindValue(Family::NT, v.inInterface, v.name)].insert(
            ReadsOn(version, v.inInterface, v.name).answer);
    }
    std::size_t read = 0, notRead = 0;
    for (const auto& [value, answers] : values) {
        read += answers.count(Answer::Read);
        notRead += answers == std::set{Answer::NotRead};
    }
    return {text::ReadCount(values.size(), read, notRead, values.size() - read - notRead)};
}

}  // namespace vornix
