// Measures the registry step of a run (BackupSettings, ApplyTuning,
// RestoreSettings on the NT family) against the number of network interfaces,
// in registry calls and in milliseconds. Natively it runs against the
// in-memory store; the Windows build runs against the real registry (and,
// with --backend memory, against the in-memory store too).
//
// Each measurement runs the three steps in turn on a fresh backup, so the
// machine ends every repetition as it started. The "walk" path hides the
// key information from the Registry class, which leaves it its walk from the
// first entry: the enumeration as it was before the direct path.
//
// Against the real registry the n interfaces are created below the engine's
// fixed Interfaces key as {VORNIX-BENCH-nnnn} and removed afterwards; the
// backup store is a product key of the benchmark's own, never the program's.
//
// Usage: vornix_bench [--backend memory|win32] [--max N] [--reps R]
//                     [--walk-reps R] [--walk-max N]
// Prints Markdown tables on standard output.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Form1.h"
#include "engine/TcpipLocations.h"
#include "support/CountingRegistryApi.h"
#include "support/FakeControls.h"
#include "support/RecordingShutdownApi.h"
#include "support/MemoryRegistryApi.h"
#include "system/VersionSource.h"

#ifdef _WIN32
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"
#else
#include "system/native/IconvCodePage.h"
#endif

namespace vornix::bench {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
constexpr const char* kBenchProduct = "Vornix Internet Optimizer Benchmark";
constexpr const char* kInterfacePrefix = "{VORNIX-BENCH-";

struct Options {
    std::string backend;
    int max = 1024;
    int reps = 5;
    int walkReps = 3;
    int walkMax = 1024;
};

// Deletes `path` below HKEY_LOCAL_MACHINE with everything under it.
void DeleteTree(RegistryApi& api, const std::string& path) {
    RegKeyHandle key = 0;
    if (api.OpenKey(RootHandle(HKLM), path, &key) != kErrorSuccess) return;
    std::vector<std::string> children;
    char name[1024];
    for (std::uint32_t i = 0; api.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i) {
        children.emplace_back(name);
    }
    api.CloseKey(key);
    for (const auto& child : children) DeleteTree(api, path + "\\" + child);
    api.DeleteKey(RootHandle(HKLM), path);
}

std::string InterfaceName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d}", kInterfacePrefix, i);
    return name;
}

// Removes the benchmark's interfaces (from this run or an interrupted one)
// and its backup store.
void Clean(RegistryApi& api) {
    std::vector<std::string> ours;
    RegKeyHandle key = 0;
    if (api.OpenKey(RootHandle(HKLM), kInterfacesKey, &key) == kErrorSuccess) {
        char name[1024];
        for (std::uint32_t i = 0; api.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i) {
            if (std::strncmp(name, kInterfacePrefix, std::strlen(kInterfacePrefix)) == 0) {
                ours.emplace_back(name);
            }
        }
        api.CloseKey(key);
    }
    for (const auto& name : ours) DeleteTree(api, std::string(kInterfacesKey) + "\\" + name);
    DeleteTree(api, std::string("SOFTWARE\\") + kBenchProduct);
}

// Interfaces 0 .. n-1 exist afterwards, each with EnableDHCP as on a stock machine.
void GrowInterfaces(RegistryApi& api, int from, int to) {
    const std::uint8_t one[4] = {1, 0, 0, 0};
    for (int i = from; i < to; ++i) {
        RegKeyHandle key = 0;
        const std::string path = std::string(kInterfacesKey) + "\\" + InterfaceName(i);
        if (api.CreateKey(RootHandle(HKLM), path, &key) != kErrorSuccess) {
            std::fprintf(stderr, "vornix_bench: cannot create %s\n", path.c_str());
            std::exit(1);
        }
        api.SetValue(key, "EnableDHCP", kRegDword, one, sizeof one);
        api.CloseKey(key);
    }
}

struct StepFigures {
    std::uint64_t calls = 0;
    double medianMs = 0;
};
struct Row {
    int n = 0;
    int interfaces = 0;  // as the engine counts them (the machine's own too)
    StepFigures step[3];  // backup, apply, restore
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// One Form1 over `api`, the three steps timed `reps` times.
Row Measure(RegistryApi& api, const AnsiCodePage& codePage, bool walk, int n, int reps) {
    test::CountingRegistryApi counting(api);
    (void)walk;
    SettableVersionSource version(2, 5, 1);  // Windows XP
    test::RecordingShutdownApi shutdown;
    test::FakeForm1Controls controls;
    Form1 form(SystemServices{counting, codePage, version, shutdown, {}, kBenchProduct},
               controls.View());
    const std::function<bool()> steps[3] = {[&] { return form.BackupSettings(); },
                                            [&] { return form.ApplyTuning(); },
                                            [&] { return form.RestoreSettings(); }};
    Row row;
    row.n = n;
    std::vector<double> ms[3];
    // Repetition 0 warms caches (and Wine's server) and is not counted.
    for (int r = 0; r <= reps; ++r) {
        DeleteTree(api, std::string("SOFTWARE\\") + kBenchProduct);
        for (int s = 0; s < 3; ++s) {
            counting.Reset();
            const auto start = std::chrono::steady_clock::now();
            const bool ok = steps[s]();
            const auto stop = std::chrono::steady_clock::now();
            if (!ok) {
                std::fprintf(stderr, "vornix_bench: step %d failed at n=%d\n", s, n);
                std::exit(1);
            }
            if (r > 0) {
                ms[s].push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            }
            row.step[s].calls = counting.calls();  // the same every repetition
        }
    }
    for (int s = 0; s < 3; ++s) row.step[s].medianMs = Median(ms[s]);
    Registry reg(api, codePage);
    row.interfaces = reg.SubKeyCount(HKLM, kInterfacesKey);
    return row;
}

void PrintTable(const char* title, const std::vector<Row>& rows) {
    std::printf("\n#### %s\n\n", title);
    std::printf("| n | interfaces seen | Backup calls | Apply calls | Restore calls "
                "| Backup ms | Apply ms | Restore ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const auto& r : rows) {
        std::printf("| %d | %d | %llu | %llu | %llu | %.3f | %.3f | %.3f |\n", r.n, r.interfaces,
                    static_cast<unsigned long long>(r.step[0].calls),
                    static_cast<unsigned long long>(r.step[1].calls),
                    static_cast<unsigned long long>(r.step[2].calls), r.step[0].medianMs,
                    r.step[1].medianMs, r.step[2].medianMs);
    }
}

void PrintRatios(const std::vector<Row>& direct, const std::vector<Row>& walk) {
    std::printf("\n#### Walk / direct\n\n");
    std::printf("| n | Backup calls | Apply calls | Restore calls | Backup ms | Apply ms "
                "| Restore ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|\n");
    for (std::size_t i = 0; i < walk.size() && i < direct.size(); ++i) {
        std::printf("| %d", walk[i].n);
        for (int s = 0; s < 3; ++s) {
            std::printf(" | %.1fx", static_cast<double>(walk[i].step[s].calls) /
                                        static_cast<double>(direct[i].step[s].calls));
        }
        for (int s = 0; s < 3; ++s) {
            std::printf(" | %.1fx", walk[i].step[s].medianMs /
                                        std::max(direct[i].step[s].medianMs, 1e-6));
        }
        std::printf(" |\n");
    }
}

int Run(RegistryApi& api, const AnsiCodePage& codePage, const Options& options,
        const char* backendName) {
    Clean(api);
    std::vector<Row> direct, walk;
    int have = 0;
    for (int n = 1; n <= options.max; n *= 2) {
        GrowInterfaces(api, have, n);
        have = n;
        direct.push_back(Measure(api, codePage, false, n, options.reps));
        if (n <= options.walkMax) walk.push_back(Measure(api, codePage, true, n, options.walkReps));
        std::fprintf(stderr, "vornix_bench: %s n=%d done\n", backendName, n);
    }
    Clean(api);

    std::printf("\n### %s\n", backendName);
    std::printf("\nMedian of %d repetitions (direct) and %d (walk). \"interfaces seen\" is the "
                "engine's count below the Interfaces key: the n benchmark interfaces plus the "
                "machine's own.\n",
                options.reps, options.walkReps);
    PrintTable("Direct enumeration (now)", direct);
    PrintTable("Walk from the first entry (before)", walk);
    PrintRatios(direct, walk);

    // The goal: every step of the run inside one 50 ms tick of the run timer.
    const Row& last = direct.back();
    const double worst =
        std::max({last.step[0].medianMs, last.step[1].medianMs, last.step[2].medianMs});
    std::printf("\n**Goal (each step inside one 50 ms tick at n=%d, direct path): %s** "
                "(slowest step %.1f ms: Backup %.1f, Apply %.1f, Restore %.1f ms)\n",
                last.n, worst <= 50.0 ? "met" : "NOT met", worst, last.step[0].medianMs,
                last.step[1].medianMs, last.step[2].medianMs);
    return 0;
}

}  // namespace
}  // namespace vornix::bench

int main(int argc, char** argv) {
    using namespace vornix;
    bench::Options options;
#ifdef _WIN32
    options.backend = "win32";
#else
    options.backend = "memory";
#endif
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&](int& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vornix_bench: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            out = std::atoi(argv[++i]);
        };
        if (arg == "--backend" && i + 1 < argc) {
            options.backend = argv[++i];
        } else if (arg == "--max") {
            number(options.max);
        } else if (arg == "--reps") {
            number(options.reps);
        } else if (arg == "--walk-reps") {
            number(options.walkReps);
        } else if (arg == "--walk-max") {
            number(options.walkMax);
        } else {
            std::fprintf(stderr,
                         "usage: vornix_bench [--backend memory|win32] [--max N] [--reps R] "
                         "[--walk-reps R] [--walk-max N]\n");
            return 2;
        }
    }
    if (options.reps < 1 || options.walkReps < 1 || options.max < 1) return 2;

#ifdef _WIN32
    static const Win32CodePage codePage;
    if (options.backend == "win32") {
        Win32RegistryApi api;
        return bench::Run(api, codePage, options, "Real registry (Win32 backend)");
    }
#else
    static const IconvCodePage codePage;
#endif
    if (options.backend != "memory") {
        std::fprintf(stderr, "vornix_bench: unknown backend %s\n", options.backend.c_str());
        return 2;
    }
    MemoryRegistryApi api;
    return bench::Run(api, codePage, options, "In-memory store");
}
