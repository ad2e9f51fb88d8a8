// The registry steps of an optimize-and-restore run on the NT family, taken
// two ways against n network interfaces, in registry calls and milliseconds:
//
//   walk     as the design's callers made them, through the twelve classic
//            methods: SubKeyCount, then SubKeyName(i) for i = 1..n, each of
//            which walks from the first subkey, and one ReadRegWord or
//            SaveRegWord per value (about n^2/2 enumeration calls a step);
//   batched  the engine's own Form1::BackupSettings, ApplyTuning and
//            RestoreSettings, which list the subkeys once (SubKeyNames) and
//            read or write each key's values together (ReadRegValues,
//            SaveRegValues, which read every write back).
//
// Every repetition starts from a stock machine (none of the values the
// steps write exist, no backup) and runs backup, apply and restore in turn;
// the first repetition warms up and is not counted. Calls are counted by
// tests/support/CountingRegistryApi.h; times are medians.
//
// Natively it runs against the in-memory registry. The Windows build runs
// against the registry it finds, only under Wine: it creates its interfaces
// as {VORNIX-BENCH-nnnn} and removes them afterwards, but on the way it
// writes and deletes the TCP/IP values of every interface key and of the
// Parameters key, so scripts/bench.sh gives it a Wine prefix of its own.
//
// Usage: vornix_bench [--max N] [--reps R] [--walk-reps R]
// Prints a Markdown table on standard output.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/TcpipValues.h"
#include "profiles/ConnectionProfiles.h"
#include "support/CountingRegistryApi.h"
#include "support/FakeControls.h"
#include "support/MemoryRegistryApi.h"
#include "support/RecordingShutdownApi.h"
#include "support/RegistryBackends.h"
#include "system/VersionSource.h"

#ifdef _WIN32
#include "support/WineOnly.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"
#else
#include "system/native/IconvCodePage.h"
#endif

namespace vornix::bench {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
constexpr const char* kBenchProduct = "Vornix Internet Optimizer Benchmark";
const std::string kStoreKey = std::string("SOFTWARE\\") + kBenchProduct;
const std::string kFamilyKey = FamilyKey(kStoreKey, Family::NT);
// The NT family's Parameters values.
const std::vector<Located>& kNtParameterValues = LocationsOf(Family::NT).keys[0].values;

std::string BenchInterface(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "{VORNIX-BENCH-%04d}", i);
    return name;
}

// The design's writes of the tuning set, shared by its apply and restore.
void WalkWrite(Registry& reg, const TuningSet& tuning) {
    const std::int32_t n = reg.SubKeyCount(HKLM, kInterfacesKey);
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::string key = InterfaceKey(reg.SubKeyName(HKLM, kInterfacesKey, i));
        reg.SaveRegWord(HKLM, key, "MTU", tuning.lngMTU);
        reg.SaveRegWord(HKLM, key, "TcpWindowSize", tuning.lngRWIN);
    }
    for (const Located& v : kNtParameterValues) {
        reg.SaveRegWord(HKLM, kTcpipParametersKey, v.name, tuning.*v.value->member);
    }
}

void WalkBackup(Registry& reg, TuningSet tuning) {
    const std::int32_t n = reg.SubKeyCount(HKLM, kInterfacesKey);
    for (std::int32_t i = 1; i <= n; ++i) {
        tuning.lngMTU =
            reg.ReadRegWord(HKLM, InterfaceKey(reg.SubKeyName(HKLM, kInterfacesKey, i)), "MTU");
    }
    for (const Located& v : kNtParameterValues) {
        tuning.*v.value->member = reg.ReadRegWord(HKLM, kTcpipParametersKey, v.name);
    }
    reg.CreateRegKey(HKLM, kFamilyKey);
    reg.SaveRegWord(HKLM, kFamilyKey, "MTU", tuning.lngMTU);
    for (const Located& v : kNtParameterValues) {
        reg.SaveRegWord(HKLM, kFamilyKey, v.name, tuning.*v.value->member);
    }
    reg.SaveRegWord(HKLM, kStoreKey, kBackupFlagName, 1);
}

void WalkRestore(Registry& reg, TuningSet& tuning) {
    if (reg.ReadRegWord(HKLM, kStoreKey, kBackupFlagName) != 1) {
        std::fprintf(stderr, "vornix_bench: the walk's restore found no backup\n");
        std::exit(1);
    }
    tuning.lngMTU = reg.ReadRegWord(HKLM, kFamilyKey, "MTU");
    for (const Located& v : kNtParameterValues) {
        tuning.*v.value->member = reg.ReadRegWord(HKLM, kFamilyKey, v.name);
    }
    WalkWrite(reg, tuning);
}

// A stock machine: no backup, and none of the values the steps write.
void Reset(RegistryApi& api, const AnsiCodePage& codePage) {
    Registry reg(api, codePage);
    test::DeleteTree(api, RootHandle(HKLM), codePage.ToAnsi(kStoreKey));
    std::vector<std::string> names;
    for (const Located& v : kNtParameterValues) names.emplace_back(v.name);
    reg.DeleteRegValues(HKLM, kTcpipParametersKey, names);
    for (const std::string& name : reg.SubKeyNames(HKLM, kInterfacesKey).names) {
        reg.DeleteRegValues(HKLM, InterfaceKey(name), {"MTU", "TcpWindowSize"});
    }
}

struct Figures {
    std::uint64_t calls[3] = {};  // backup, apply, restore: the same every repetition
    double ms[3] = {};            // medians
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

Figures Measure(RegistryApi& api, const AnsiCodePage& codePage, bool walk, int reps) {
    test::CountingRegistryApi counting(api);
    SettableVersionSource version(2, 5, 1);  // Windows XP
    test::RecordingShutdownApi shutdown;
    test::FakeForm1Controls controls;
    Form1 form(SystemServices{counting, codePage, version, shutdown, {}, kBenchProduct},
               controls.View());
    // DSL at 100 Mb and more.
    SelectSpeed(form.tuning(), 0, 9);
    SetFixedMembers(form.tuning());
    Registry reg(counting, codePage);
    TuningSet tuning = form.tuning();
    auto check = [&](bool ok) {
        if (ok) return;
        std::fprintf(stderr, "vornix_bench: %s\n", form.lastFailure().c_str());
        std::exit(1);
    };
    const std::function<void()> steps[2][3] = {
        {[&] { check(form.BackupSettings()); }, [&] { check(form.ApplyTuning()); },
         [&] { check(form.RestoreSettings()); }},
        {[&] { WalkBackup(reg, tuning); }, [&] { WalkWrite(reg, tuning); },
         [&] { WalkRestore(reg, tuning); }}};
    Figures figures;
    std::vector<double> ms[3];
    for (int r = 0; r <= reps; ++r) {
        Reset(api, codePage);
        for (int s = 0; s < 3; ++s) {
            counting.Reset();
            const auto start = std::chrono::steady_clock::now();
            steps[walk ? 1 : 0][s]();
            const auto stop = std::chrono::steady_clock::now();
            figures.calls[s] = counting.calls();
            if (r > 0) {
                ms[s].push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            }
        }
    }
    for (int s = 0; s < 3; ++s) figures.ms[s] = Median(ms[s]);
    return figures;
}

int Run(RegistryApi& api, const AnsiCodePage& codePage, int max, int reps, int walkReps) {
    Registry reg(api, codePage);
    std::printf("| interfaces | step | walk calls | batched calls | walk / batched calls "
                "| walk ms | batched ms | walk / batched ms |\n"
                "|---:|---|---:|---:|---:|---:|---:|---:|\n");
    const char* stepNames[3] = {"backup", "apply", "restore"};
    double slowest = 0;
    std::size_t interfaces = 0;
    for (int n = 1, have = 0; n <= max; have = n, n *= 4) {
        for (int i = have; i < n; ++i) {
            reg.SaveRegWord(HKLM, InterfaceKey(BenchInterface(i)), "EnableDHCP", 1);
        }
        interfaces = reg.SubKeyNames(HKLM, kInterfacesKey).names.size();
        const Figures walk = Measure(api, codePage, true, walkReps);
        const Figures batched = Measure(api, codePage, false, reps);
        for (int s = 0; s < 3; ++s) {
            std::printf("| %zu | %s | %llu | %llu | %.1f | %.3f | %.3f | %.1f |\n", interfaces,
                        stepNames[s], static_cast<unsigned long long>(walk.calls[s]),
                        static_cast<unsigned long long>(batched.calls[s]),
                        static_cast<double>(walk.calls[s]) / static_cast<double>(batched.calls[s]),
                        walk.ms[s], batched.ms[s], walk.ms[s] / std::max(batched.ms[s], 1e-6));
            slowest = std::max(slowest, batched.ms[s]);
        }
        std::fflush(stdout);
    }
    for (int i = 0; i < max; ++i) {
        test::DeleteTree(api, RootHandle(HKLM), InterfaceKey(BenchInterface(i)));
    }
    Reset(api, codePage);
    std::printf("\nMedians of %d repetitions (batched) and %d (walk). Slowest batched step at "
                "%zu interfaces: %.1f ms (one 50 ms tick: %s).\n",
                reps, walkReps, interfaces, slowest, slowest <= 50.0 ? "met" : "NOT met");
    return 0;
}

}  // namespace
}  // namespace vornix::bench

int main(int argc, char** argv) {
    int max = 1024, reps = 5, walkReps = 3;
    bool usable = argc % 2 == 1;
    for (int i = 1; usable && i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        int* value = arg == "--max" ? &max : arg == "--reps" ? &reps
                   : arg == "--walk-reps" ? &walkReps : nullptr;
        if (value) *value = std::atoi(argv[i + 1]);
        usable = value != nullptr;
    }
    if (!usable || max < 1 || reps < 1 || walkReps < 1) {
        std::fprintf(stderr, "usage: vornix_bench [--max N] [--reps R] [--walk-reps R]\n");
        return 2;
    }
#ifdef _WIN32
    if (!vornix::test::RunningUnderWine()) {
        std::fprintf(stderr, "vornix_bench rewrites the machine's TCP/IP values and runs only "
                             "under Wine.\n");
        return 3;
    }
    static const vornix::Win32CodePage codePage;
    vornix::Win32RegistryApi api;
#else
    static const vornix::IconvCodePage codePage;
    vornix::MemoryRegistryApi api(codePage);
#endif
    return vornix::bench::Run(api, codePage, max, reps, walkReps);
}
