#pragma once
// The eight TCP/IP values the program writes, in the order they are shown.
#include <cstdint>

namespace vornix {

struct TuningSet {
    std::int32_t lngMTU = 0;            // bytes
    std::int32_t lngMSS = 0;            // bytes
    std::int32_t lngRWIN = 0;           // receive window, bytes
    std::int32_t lngTTL = 0;            // hops
    std::int32_t lngPMTUBHDetect = 0;   // PMTU black-hole detection switch
    std::int32_t lngPMTUDiscovery = 0;  // PMTU discovery switch
    std::int32_t lngSackOpts = 0;       // SACK switch
    std::int32_t lngTcp1323Opts = 0;    // RFC 1323 options

    friend bool operator==(const TuningSet&, const TuningSet&) = default;
};

}  // namespace vornix
