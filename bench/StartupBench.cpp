// Start-up of the program against a bare window (BareWindow.cpp), under
// Wine: the time from just before CreateProcessW to the main window shown,
// as the GUI driver starts and finds it (tests/gui/GuiDriver.h), looking
// every millisecond. Each executable runs from a folder of its own under
// the program's file name, as Windows XP. Two unrecorded starts of each
// come first (the program's first start on XP writes its manifest); then
// the two take turns, each round in the other order, so both share the
// machine's noise. Prints a Markdown table.
//
// Usage: vornix_startup [STARTS]   (20 of each by default)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/GuiDriver.h"

#ifndef VORNIX_BARE_WINDOW
#error "VORNIX_BARE_WINDOW must name the built bare window (a path of the build machine)"
#endif

namespace {

double NowMs() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

struct Target {
    const char* label;
    vornix::gui::App app;
    std::vector<double> ms;
};

// One start to a shown main window, then closed; a negative time on failure.
double TimeOneStart(vornix::gui::App& app) {
    const double start = NowMs();
    const bool shown = app.Start(1);
    const double elapsed = NowMs() - start;
    const bool closed = app.Close();
    return shown && closed ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::atoi(argv[1]) : 20;
    if (starts < 1) return 2;
    Target targets[2] = {{"VornixInternetOptimizer.exe", {L"bench-program", L"winxp"}, {}},
                         {"bare window (bench/BareWindow.cpp)",
                          {L"bench-bare", L"winxp", VORNIX_BARE_WINDOW}, {}}};
    for (int round = -2; round < starts; ++round) {
        for (int k = 0; k < 2; ++k) {
            Target& t = targets[(k + round + 2) % 2];
            const double ms = TimeOneStart(t.app);
            if (ms < 0) {
                std::fprintf(stderr, "vornix_startup: %s did not start and close\n", t.label);
                return 1;
            }
            if (round >= 0) t.ms.push_back(ms);
        }
    }
    std::printf("| Release executable under Wine | starts | median ms | min ms | max ms |\n"
                "|---|---:|---:|---:|---:|\n");
    for (const Target& t : targets) {
        std::printf("| %s | %zu | %.1f | %.1f | %.1f |\n", t.label, t.ms.size(), Median(t.ms),
                    *std::min_element(t.ms.begin(), t.ms.end()),
                    *std::max_element(t.ms.begin(), t.ms.end()));
    }
    const double ratio = Median(targets[0].ms) / Median(targets[1].ms);
    std::printf("| program / bare window (ratio of the medians) | | %.2f | | |\n", ratio);
    return 0;
}
