#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

constexpr TcpipValue kNetTransValues[] = {
    {"MaxMTU", &TuningSet::lngMTU},
    {"MaxMSS", &TuningSet::lngMSS},
};
constexpr TcpipValue kMstcpValues[] = {
    {"DefaultRcvWindow", &TuningSet::lngRWIN},
    {"DefaultTTL", &TuningSet::lngTTL},
    {"PMTUBlackHoleDetect", &TuningSet::lngPMTUBHDetect},
    {"PMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
// MaxMTU and MaxMSS go on the NetTrans class key itself, not on the
// adapters' numbered subkeys below it.
constexpr TcpipKey kWin9xKeys[] = {{kNetTransKey, kNetTransValues}, {kMstcpKey, kMstcpValues}};

constexpr TcpipValue kNtParameterValues[] = {
    {"TcpWindowSize", &TuningSet::lngRWIN},
    {"DefaultTTL", &TuningSet::lngTTL},
    {"EnablePMTUBHDetect", &TuningSet::lngPMTUBHDetect},
    {"EnablePMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
constexpr TcpipKey kNtKeys[] = {{kTcpipParametersKey, kNtParameterValues}};
// The receive window goes into every interface and into Parameters.
constexpr TcpipValue kNtInterfaceValues[] = {
    {"MTU", &TuningSet::lngMTU},
    {"TcpWindowSize", &TuningSet::lngRWIN},
};

constexpr FamilyLocations kWin9x{Family::Win9x, kWin9xKeys, {}};
constexpr FamilyLocations kNt{Family::NT, kNtKeys, kNtInterfaceValues};

}  // namespace

std::optional<Family> FamilyOf(std::int32_t platform) {
    if (platform == 0) return std::nullopt;
    return platform == 1 ? Family::Win9x : Family::NT;
}

const FamilyLocations& LocationsOf(Family family) {
    return family == Family::Win9x ? kWin9x : kNt;
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

std::vector<std::string> NamesOf(std::span<const TcpipValue> values) {
    std::vector<std::string> names;
    for (const TcpipValue& v : values) names.push_back(v.name);
    return names;
}

}  // namespace vornix
