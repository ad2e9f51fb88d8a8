#pragma once
// The connection profile table: each of the six connection methods fixes an
// MTU and an MSS (MTU - 40), each of its speed choices a receive window.
#include <cstdint>
#include <span>

#include "profiles/TuningSet.h"

namespace vornix {

struct SpeedChoice {
    const char* caption;
    std::int32_t rwin;
};

struct ConnectionMethod {
    const char* caption;
    std::int32_t mtu;
    std::int32_t mss;
    std::span<const SpeedChoice> speeds;
};

constexpr int kMethodCount = 6;

// Methods in option order, 0 to 5.
std::span<const ConnectionMethod> ConnectionMethods();

// The speed selection: MTU and MSS take method `method`'s pair; RWIN takes
// row `Index` of its speed table when there is such a row, and keeps its
// value otherwise. The other five members are left alone. `method` outside
// 0 to 5 changes nothing.
void SelectSpeed(TuningSet& tuning, int method, std::int16_t Index);

// The members every optimization run sets, whatever the connection.
void SetFixedMembers(TuningSet& tuning);

}  // namespace vornix
