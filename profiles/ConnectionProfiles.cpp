#include "profiles/ConnectionProfiles.h"

namespace vornix {
namespace {

constexpr SpeedChoice kDsl[] = {
    {"达到 512Kb", 10164},  {"512Kb 以上", 13068}, {"1Mb 以上", 24684},
    {"2Mb 以上", 47916},    {"3Mb 以上", 71148},   {"6Mb 以上", 140844},
    {"16Mb 以上", 374616},  {"25Mb 以上", 585156}, {"50Mb 以上", 1168860},
    {"100Mb 以上", 2337720},
};
constexpr SpeedChoice kFibre[] = {
    {"2Mb以上", 42340},     {"6Mb 以上", 124100},   {"16Mb以上", 331420},
    {"25Mb 以上", 516840},  {"50Mb 以上", 1032220}, {"100Mb 以上", 2064440},
};
constexpr SpeedChoice kMobile[] = {
    {"GPRS (2G, 2.5G)", 10052},
    {"EDGE (E-GPRS, 2.75G)", 28720},
    {"UMTS (3G)", 189552},
    {"HSDPA or EvDO (3G+, 3.5G)", 377668},
    {"WiMAX (4G)", 1176084},
};
constexpr SpeedChoice kSatellite[] = {
    {"达到 512Kb", 36500}, {"512Kb 以上", 48180}, {"1Mb 以上", 93440},
    {"2Mb 以上", 185420},  {"6Mb 以上", 556260},
};
// The 56Kb row has the largest window of the three.
constexpr SpeedChoice kDialUp[] = {
    {"56Kb", 7300},
    {"64Kb ISDN", 2920},
    {"128Kb ISDN", 4380},
};
constexpr SpeedChoice kLocalNetwork[] = {
    {"局域网", 2064440},
    {"无线局域网", 1175300},
    {"无线热点区域", 2064440},
};

constexpr ConnectionMethod kMethods[kMethodCount] = {
    {"DSL电缆调制解调器或电力线", 1492, 1452, kDsl},
    {"光纤", 1500, 1460, kFibre},
    {"移动电话网络", 1476, 1436, kMobile},
    {"卫星", 1500, 1460, kSatellite},
    {"拨号或ISDN连接", 1500, 1460, kDialUp},
    {"办公室，家庭，校园，或其它网络", 1500, 1460, kLocalNetwork},
};

}  // namespace

std::span<const ConnectionMethod> ConnectionMethods() { return kMethods; }

void SelectSpeed(TuningSet& tuning, int method, std::int16_t Index) {
    if (method < 0 || method >= kMethodCount) return;
    const ConnectionMethod& m = kMethods[method];
    tuning.lngMTU = m.mtu;
    tuning.lngMSS = m.mss;
    if (Index >= 0 && static_cast<std::size_t>(Index) < m.speeds.size()) {
        tuning.lngRWIN = m.speeds[static_cast<std::size_t>(Index)].rwin;
    }
}

void SetFixedMembers(TuningSet& tuning) {
    tuning.lngPMTUDiscovery = 1;
    tuning.lngSackOpts = 1;
    tuning.lngTcp1323Opts = 1;
    tuning.lngTTL = 128;
    tuning.lngPMTUBHDetect = 0;
}

}  // namespace vornix
