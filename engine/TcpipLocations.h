#pragma once
// Where each Windows family's TCP/IP stack reads the values the program
// writes, and which member of the tuning set each value holds.
#include <array>
#include <cstdint>

#include "profiles/TuningSet.h"

namespace vornix {

using TuningMember = std::int32_t TuningSet::*;

struct TcpipValue {
    const char* key;   // below HKEY_LOCAL_MACHINE
    const char* name;  // the value's name there and in the backup store
    TuningMember member;
};

inline constexpr const char* kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
inline constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kTcpipParametersKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr const char* kInterfacesKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// Windows 95/98/ME: string values holding number text, in write order.
inline constexpr std::array<TcpipValue, 8> kWin9xValues{{
    {kNetTransKey, "MaxMTU", &TuningSet::lngMTU},
    {kNetTransKey, "MaxMSS", &TuningSet::lngMSS},
    {kMstcpKey, "DefaultRcvWindow", &TuningSet::lngRWIN},
    {kMstcpKey, "DefaultTTL", &TuningSet::lngTTL},
    {kMstcpKey, "PMTUBlackHoleDetect", &TuningSet::lngPMTUBHDetect},
    {kMstcpKey, "PMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {kMstcpKey, "SackOpts", &TuningSet::lngSackOpts},
    {kMstcpKey, "Tcp1323Opts", &TuningSet::lngTcp1323Opts},
}};

// NT family: DWORD values of every interface key, in write order.
inline constexpr std::array<TcpipValue, 2> kNtInterfaceValues{{
    {kInterfacesKey, "MTU", &TuningSet::lngMTU},
    {kInterfacesKey, "TcpWindowSize", &TuningSet::lngRWIN},
}};

// NT family: DWORD values of the Parameters key, in write order.
inline constexpr std::array<TcpipValue, 6> kNtParameterValues{{
    {kTcpipParametersKey, "TcpWindowSize", &TuningSet::lngRWIN},
    {kTcpipParametersKey, "DefaultTTL", &TuningSet::lngTTL},
    {kTcpipParametersKey, "EnablePMTUBHDetect", &TuningSet::lngPMTUBHDetect},
    {kTcpipParametersKey, "EnablePMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {kTcpipParametersKey, "SackOpts", &TuningSet::lngSackOpts},
    {kTcpipParametersKey, "Tcp1323Opts", &TuningSet::lngTcp1323Opts},
}};

}  // namespace vornix
