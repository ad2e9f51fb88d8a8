#pragma once
// Tests that change the machine's own TCP/IP values run only under Wine: on
// a real Windows they would take that machine's network settings. Wine's
// ntdll exports wine_get_version; Windows' ntdll does not. Including this
// header in a test executable registers the check before its first test.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {

inline bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class WineOnlyEnvironment final : public testing::Environment {
public:
    void SetUp() override {
        if (RunningUnderWine()) return;
        std::fputs("These tests rewrite the machine's TCP/IP settings and run only under Wine; "
                   "this is not Wine, so nothing was run.\n",
                   stderr);
        std::exit(3);
    }
};

inline testing::Environment* const kWineOnly =
    testing::AddGlobalTestEnvironment(new WineOnlyEnvironment);

}  // namespace vornix::test
