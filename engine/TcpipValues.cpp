#include "engine/TcpipValues.h"

#include <algorithm>
#include <string_view>

namespace vornix {
namespace {

using Answer = WindowsReads::Answer;
using enum ReadsWhere;

constexpr const char* kAutoTuning =
    "自 Windows Vista 起接收窗口由“接收窗口自动调整”决定，此注册表值被忽略";
constexpr const char* kStillRead = "Windows Vista 及更高版本仍读取此值";

constexpr ReadsRule kMtuReads[] = {
    {500, 599, kInInterface,
     {Answer::Read, "只能调低网卡本身的 MTU，不能调高（Windows 2000 TCP/IP 参考）", ""}},
    {600, kAnyLater, kInInterface,
     {Answer::Unknown,
      "Microsoft 只记载了 netsh interface ipv4 set subinterface 和 Set-NetIPInterface -NlMtuBytes",
      "netsh interface ipv4 show subinterfaces"}},
};
// From Windows 8 on the auto-tuning level is a PowerShell setting too.
constexpr ReadsRule kRwinReads[] = {
    {500, 599, kInInterface, {Answer::Read, "优先于 Parameters 中的全局值", ""}},
    {602, kAnyLater, kEither,
     {Answer::NotRead, kAutoTuning,
      "Get-NetTCPSetting（AutoTuningLevelLocal）或 netsh interface tcp show global"}},
    {600, 601, kEither, {Answer::NotRead, kAutoTuning, "netsh interface tcp show global"}},
};
constexpr ReadsRule kTtlReads[] = {{600, kAnyLater, kInOwnKeys, {Answer::Read, kStillRead, ""}}};
constexpr ReadsRule kBlackHoleReads[] = {
    {600, kAnyLater, kInOwnKeys,
     {Answer::Read,
      "仍读取此值；自 Windows Vista 起黑洞检测默认开启（KB 925280），写入 0 会将其关闭", "",
      true}},
};
constexpr ReadsRule kDiscoveryReads[] = {
    {600, kAnyLater, kInOwnKeys, {Answer::Read, kStillRead, ""}}};
constexpr ReadsRule kRfc1323Reads[] = {
    {600, kAnyLater, kInOwnKeys,
     {Answer::Unknown, "Microsoft 的文档未说明；时间戳由 netsh 或 Set-NetTCPSetting 设置",
      "netsh interface tcp show global"}},
};

// MaxMTU and MaxMSS go on the NetTrans class key itself, not on the
// adapters' numbered subkeys below it. The receive window goes into every
// interface and into Parameters.
constexpr TcpipValue kValues[] = {
    {.member = &TuningSet::lngMTU, .win9x = {kNetTransKey, "MaxMTU"}, .ntInterface = "MTU",
     .label = "最大传输单元 (MTU)\t", .unit = " 字节", .step = 30, .stepText = "更改 MTU 值 (最大传输单元)",
     .win9xReads = WindowsReads{Answer::Unknown, "KB 250663 记载 MaxMTU 位于各网卡绑定的 NetTrans\\000n 键，而非本程序写入的 NetTrans 键本身", ""},
     .ntReads = kMtuReads},
    {.member = &TuningSet::lngMSS, .win9x = {kNetTransKey, "MaxMSS"}, .label = "段最大值 (MSS)\t\t", .unit = " 字节",
     .win9xReads = WindowsReads{Answer::Unknown, "Microsoft 的文档未记载 NetTrans 键本身的 MaxMSS", ""}},
    {.member = &TuningSet::lngRWIN, .win9x = {kMstcpKey, "DefaultRcvWindow"}, .ntInterface = "TcpWindowSize",
     .nt = {kTcpipParametersKey, "TcpWindowSize"}, .label = "接收窗口 (RWIN)\t\t", .unit = " 字节",
     .step = 40, .stepText = "更改 RWIN 值 (接收窗口)", .ntReads = kRwinReads},
    {.member = &TuningSet::lngTTL, .win9x = {kMstcpKey, "DefaultTTL"}, .nt = {kTcpipParametersKey, "DefaultTTL"},
     .label = "生存时间 (TTL)\t\t\t", .unit = " hops", .step = 50, .stepText = "更改 TTL 值 (生存时间)",
     .ntReads = kTtlReads},
    {.member = &TuningSet::lngPMTUBHDetect, .win9x = {kMstcpKey, "PMTUBlackHoleDetect"},
     .nt = {kTcpipParametersKey, "EnablePMTUBHDetect"}, .label = "PMTU 黑洞检测\t\t", .step = 60,
     .stepText = "更改 PMTUB 值 (PMTU 黑洞探测)", .ntReads = kBlackHoleReads},
    {.member = &TuningSet::lngPMTUDiscovery, .win9x = {kMstcpKey, "PMTUDiscovery"},
     .nt = {kTcpipParametersKey, "EnablePMTUDiscovery"}, .label = "PMTU 检测\t\t\t", .step = 70,
     .stepText = "更改 PMTUD 值 (PMTU 探测)", .ntReads = kDiscoveryReads},
    {.member = &TuningSet::lngSackOpts, .win9x = {kMstcpKey, "SackOpts"}, .nt = {kTcpipParametersKey, "SackOpts"},
     .label = "选择性确认 (SACK)\t", .step = 80, .stepText = "更改 SACK 值 (选择性确认)"},
    {.member = &TuningSet::lngTcp1323Opts, .win9x = {kMstcpKey, "Tcp1323Opts"},
     .nt = {kTcpipParametersKey, "Tcp1323Opts"}, .label = "RFC 1323 选项\t\t\t", .step = 90,
     .stepText = "更改 RFC 1323 值(时间戳和窗口缩放选项)", .ntReads = kRfc1323Reads},
};

// Keys in the order their first value comes.
FamilyLocations Locate(Family family) {
    FamilyLocations where{family, {}, {}, {}};
    for (const TcpipValue& v : kValues) {
        const Place& own = family == Family::Win9x ? v.win9x : v.nt;
        const char* inInterfaces = family == Family::NT ? v.ntInterface : nullptr;
        if (inInterfaces) where.interfaceValues.push_back({&v, inInterfaces});
        if (own.key || inInterfaces) where.values.push_back({&v, own.key ? own.name : inInterfaces});
        if (!own.key) continue;
        auto key = std::find_if(where.keys.begin(), where.keys.end(),
                                [&](const TcpipKey& k) { return std::string_view(k.path) == own.key; });
        if (key == where.keys.end()) key = where.keys.insert(key, {own.key, {}});
        key->values.push_back({&v, own.name});
    }
    return where;
}

}  // namespace

std::span<const TcpipValue> TcpipValues() { return kValues; }

std::optional<Family> FamilyOf(std::int32_t platform) {
    if (platform == 0) return std::nullopt;
    return platform == 1 ? Family::Win9x : Family::NT;
}

const FamilyLocations& LocationsOf(Family family) {
    static const FamilyLocations win9x = Locate(Family::Win9x);
    static const FamilyLocations nt = Locate(Family::NT);
    return family == Family::Win9x ? win9x : nt;
}

const TcpipValue* FindValue(Family family, bool inInterface, const std::string& name) {
    for (const TcpipValue& v : kValues) {
        const char* there = !inInterface           ? (family == Family::Win9x ? v.win9x : v.nt).name
                            : family == Family::NT ? v.ntInterface
                                                   : nullptr;
        if (there && name == there) return &v;
    }
    return nullptr;
}

std::string InterfaceKey(const std::string& name) {
    return std::string(kInterfacesKey) + "\\" + name;
}

Registry::KeyNames ListInterfaces(Registry& reg, Family family) {
    if (LocationsOf(family).interfaceValues.empty()) return {};
    Registry::KeyNames listed = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
    if (listed.error == kErrorFileNotFound) listed.error = kErrorSuccess;
    return listed;
}

std::vector<std::string> NamesOf(const std::vector<Located>& values) {
    std::vector<std::string> names;
    for (const Located& v : values) names.push_back(v.name);
    return names;
}

}  // namespace vornix
