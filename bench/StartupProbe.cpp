// A Win32 launcher that measures the program from the outside, as a user
// would see it: it starts the executable, watches its windows and clicks its
// controls by posting messages. Run by scripts/bench.sh under Wine; not a test.
//
//   vornix_startup_probe startup --program P.exe --bare B.exe [--bare-imports I.exe]
//                                [--runs N] [--warmup W]
//       Start-up to the first VISIBLE top-level window of the new process,
//       from just before CreateProcessW, timed with QueryPerformanceCounter
//       and polled every millisecond. Program and bare window (and the bare
//       window with the program's DLL imports) take turns, so all share the
//       machine's noise; W unrecorded warm-up starts of each come first (the
//       program's first start on XP writes its manifest).
//
//   vornix_startup_probe memory --program P.exe --bare B.exe [--runs N]
//       GetProcessMemoryInfo of the program after its window shows and again
//       after a full optimize run driven through its controls; the bare
//       window's after it shows, as the floor every Wine process pays.
//
//   vornix_startup_probe pace --program P.exe [--runs N] [--ticks]
//       Full optimize runs: pick the first connection method, press Optimize,
//       press OK on the summary box (the run starts: the timer is enabled when
//       that box returns), and time until the closing question ("推荐")
//       shows, which the 100th tick opens. With --ticks the progress bar's
//       position is also read every millisecond (PBM_GETPOS, a message the
//       program answers between ticks) and each tick's interval is recorded.
//
// Every started process is closed with WM_CLOSE and waited for (bounded) before
// the next start: the program allows one instance at a time. Results are
// printed as Markdown on standard output, raw samples included.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "app/Form1Layout.h"

namespace {

constexpr wchar_t kProgramClass[] = L"VornixInternetOptimizerForm1";
constexpr wchar_t kBareClass[] = L"VornixBareWindow";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kClosingTitle[] = L"推荐";
constexpr DWORD kExitWaitMs = 10000;
constexpr double kWindowTimeoutMs = 30000;

// ---------------------------------------------------------------------------
// Handles and clock

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = other.h_;
            other.h_ = nullptr;
        }
        return *this;
    }
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    void reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_;
};

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

// ---------------------------------------------------------------------------
// Statistics

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double position = p * static_cast<double>(values.size() - 1);
    const auto low = static_cast<std::size_t>(position);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    const double fraction = position - static_cast<double>(low);
    return values[low] + (values[high] - values[low]) * fraction;
}

double Median(const std::vector<double>& values) { return Percentile(values, 0.5); }

double Mean(const std::vector<double>& values) {
    if (values.empty()) return 0;
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

std::string Join(const std::vector<double>& values, int decimals) {
    std::string out;
    char buffer[32];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%.*f", i ? ", " : "", decimals, values[i]);
        out += buffer;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Processes and windows

struct Child {
    Handle process;
    DWORD pid = 0;
};

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::optional<Child> Launch(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    const std::wstring folder = FolderOf(exe);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &pi)) {
        std::fprintf(stderr, "probe: CreateProcessW failed (%lu) for %ls\n", GetLastError(),
                     exe.c_str());
        return std::nullopt;
    }
    CloseHandle(pi.hThread);
    Child child;
    child.process = Handle(pi.hProcess);
    child.pid = pi.dwProcessId;
    return child;
}

bool HasExited(const Child& child) {
    return WaitForSingleObject(child.process.get(), 0) == WAIT_OBJECT_0;
}

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;  // nullptr: any class
    const wchar_t* title;      // nullptr: any title
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->pid || (query->visibleOnly && !IsWindowVisible(hwnd))) return TRUE;
    wchar_t text[256] = {};
    if (query->className) {
        GetClassNameW(hwnd, text, 256);
        if (std::wcscmp(text, query->className) != 0) return TRUE;
    }
    if (query->title) {
        GetWindowTextW(hwnd, text, 256);
        if (std::wcscmp(text, query->title) != 0) return TRUE;
    }
    query->found = hwnd;
    return FALSE;
}

HWND FindVisibleWindow(DWORD pid, const wchar_t* className = nullptr,
                       const wchar_t* title = nullptr) {
    WindowQuery query{pid, className, title, true, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// A top-level window of the class, shown or not yet.
bool WindowExists(DWORD pid, const wchar_t* className) {
    WindowQuery query{pid, className, nullptr, false, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found != nullptr;
}

// Polls every millisecond; nullptr when the process ends or time runs out.
HWND WaitForVisibleWindow(const Child& child, const wchar_t* className, const wchar_t* title,
                          double timeoutMs) {
    const double start = NowMs();
    while (NowMs() - start < timeoutMs) {
        if (HWND hwnd = FindVisibleWindow(child.pid, className, title)) return hwnd;
        if (HasExited(child)) return nullptr;
        Sleep(1);
    }
    return nullptr;
}

struct ChildQuery {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<ChildQuery*>(param);
    if (GetDlgCtrlID(hwnd) != query->id) return TRUE;
    query->found = hwnd;
    return FALSE;
}

HWND FindControl(HWND parent, int id) {
    ChildQuery query{id, nullptr};
    EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// Closes every visible window of the child and waits for it to end; ends it
// by force only when it does not end within the bound. True when it ended by
// itself.
bool CloseAndWait(const Child& child, HWND main) {
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process.get(), kExitWaitMs) == WAIT_OBJECT_0) return true;
    std::fprintf(stderr, "probe: process %lu did not end within %lu ms; terminating it\n",
                 child.pid, kExitWaitMs);
    TerminateProcess(child.process.get(), 1);
    WaitForSingleObject(child.process.get(), kExitWaitMs);
    return false;
}

// ---------------------------------------------------------------------------
// Start-up

struct StartTiming {
    double visibleMs = -1;  // CreateProcessW -> first visible top-level window
    double createdMs = -1;  // CreateProcessW -> the main window exists, still hidden
};

// Times one start. `mainClass` names the class of the main window, whose
// creation (before it shows) is timed too; the first visible window of any
// class ends the measurement.
StartTiming TimeOneStart(const std::wstring& exe, const wchar_t* mainClass,
                         std::wstring* windowClass) {
    StartTiming timing;
    const double start = NowMs();
    auto child = Launch(exe);
    if (!child) return timing;
    HWND hwnd = nullptr;
    while (NowMs() - start < kWindowTimeoutMs) {
        if (timing.createdMs < 0 && WindowExists(child->pid, mainClass)) {
            timing.createdMs = NowMs() - start;
        }
        hwnd = FindVisibleWindow(child->pid);
        if (hwnd) break;
        if (HasExited(*child)) break;
        Sleep(1);
    }
    const double elapsed = NowMs() - start;
    if (hwnd) {
        timing.visibleMs = elapsed;
        if (timing.createdMs < 0) timing.createdMs = elapsed;
        wchar_t name[256] = {};
        GetClassNameW(hwnd, name, 256);
        if (windowClass) *windowClass = name;
    }
    CloseAndWait(*child, hwnd);
    return timing;
}

struct StartTarget {
    const char* label;
    std::wstring exe;
    const wchar_t* mainClass;
    std::wstring shownClass;
    std::vector<double> visibleMs;
    std::vector<double> createdMs;
};

// Programs first, then the bare window, then (when given) the bare window
// with the program's DLL imports; each round starts them all, each round in
// a rotated order so no one always follows another.
int RunStartup(const std::wstring& program, const std::wstring& bare, const std::wstring& imports,
               int runs, int warmups) {
    std::vector<StartTarget> targets;
    targets.push_back({"program", program, kProgramClass, {}, {}, {}});
    targets.push_back({"bare window", bare, kBareClass, {}, {}, {}});
    if (!imports.empty()) {
        targets.push_back({"bare window + the program's DLL imports", imports, kBareClass, {}, {}, {}});
    }
    const std::size_t n = targets.size();
    for (int i = 0; i < warmups; ++i) {
        for (StartTarget& t : targets) {
            if (TimeOneStart(t.exe, t.mainClass, &t.shownClass).visibleMs < 0) {
                std::fprintf(stderr, "probe: a warm-up start showed no window\n");
                return 1;
            }
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < n; ++k) {
            StartTarget& t = targets[(k + static_cast<std::size_t>(i)) % n];
            const StartTiming timing = TimeOneStart(t.exe, t.mainClass, &t.shownClass);
            if (timing.visibleMs < 0) {
                std::fprintf(stderr, "probe: a start showed no window\n");
                return 1;
            }
            t.visibleMs.push_back(timing.visibleMs);
            t.createdMs.push_back(timing.createdMs);
        }
    }
    auto difference = [](const std::vector<double>& a, const std::vector<double>& b) {
        std::vector<double> d;
        for (std::size_t i = 0; i < a.size(); ++i) d.push_back(a[i] - b[i]);
        return d;
    };
    std::printf("| Executable | first visible window (class) | median ms | min ms | max ms | "
                "main window created (median ms) | created -> visible (median ms) |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const StartTarget& t : targets) {
        std::printf("| %s | %ls | %.1f | %.1f | %.1f | %.1f | %.1f |\n", t.label,
                    t.shownClass.c_str(), Median(t.visibleMs),
                    *std::min_element(t.visibleMs.begin(), t.visibleMs.end()),
                    *std::max_element(t.visibleMs.begin(), t.visibleMs.end()),
                    Median(t.createdMs), Median(difference(t.visibleMs, t.createdMs)));
    }
    std::printf("\nRuns: %d of each (rotating order), after %d warm-up start(s) of each. \"Main "
                "window created\": its top-level window exists, still hidden; from there to "
                "visible the program creates its controls and loads its install record and "
                "backup state.\n",
                runs, warmups);
    const StartTarget& p = targets[0];
    const StartTarget& b = targets[1];
    const double ratio = Median(p.visibleMs) / Median(b.visibleMs);
    std::printf("\n**Ratio of medians (program / bare window): %.2f** (goal at most 1.1: %s; "
                "difference %.1f ms)\n",
                ratio, ratio <= 1.1 ? "met" : "NOT met", Median(p.visibleMs) - Median(b.visibleMs));
    std::printf("\nRatio of the fastest starts (program / bare window): %.2f\n",
                *std::min_element(p.visibleMs.begin(), p.visibleMs.end()) /
                    *std::min_element(b.visibleMs.begin(), b.visibleMs.end()));
    if (n > 2) {
        const StartTarget& d = targets[2];
        std::printf("\nRatio of medians (program / bare window with the program's DLL imports): "
                    "%.2f; (bare with imports / bare): %.2f\n",
                    Median(p.visibleMs) / Median(d.visibleMs),
                    Median(d.visibleMs) / Median(b.visibleMs));
    }
    for (const StartTarget& t : targets) {
        std::printf("\nRaw samples, %s (ms): %s\n", t.label, Join(t.visibleMs, 1).c_str());
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Driving a run

struct RunTiming {
    bool ok = false;
    double runMs = 0;                 // OK on the summary box -> closing question visible
    std::vector<double> tickTimesMs;  // by progress value 1..100, from the OK; empty without --ticks
};

int ReadPosition(HWND progress) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutW(progress, 0x0408 /* PBM_GETPOS */, 0, 0, SMTO_NORMAL, 2000,
                             &position)) {
        return -1;
    }
    return static_cast<int>(position);
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Presses a message box's button the way a click on it ends the box.
void Answer(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

bool WaitUntilGone(HWND hwnd, double timeoutMs) {
    const double start = NowMs();
    while (NowMs() - start < timeoutMs) {
        if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return true;
        Sleep(1);
    }
    return false;
}

// Drives one optimize run in a started program whose main window shows.
RunTiming DriveRun(const Child& child, HWND main, bool ticks) {
    RunTiming timing;
    HWND method = FindControl(main, vornix::ControlId("optInternetMethod", 0));
    HWND optimize = FindControl(main, vornix::ControlId("cmdOptimize"));
    HWND progress = FindControl(main, vornix::ControlId("pgbOptimize"));
    if (!method || !optimize || !progress) {
        std::fprintf(stderr, "probe: controls not found\n");
        return timing;
    }
    Click(method);
    const double clickStart = NowMs();
    while (SendMessageW(method, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        if (NowMs() - clickStart > 5000) {
            std::fprintf(stderr, "probe: the method option did not take the click\n");
            return timing;
        }
        Sleep(1);
    }
    Click(optimize);
    HWND summary = WaitForVisibleWindow(child, kDialogClass, nullptr, 10000);
    if (!summary) {
        std::fprintf(stderr, "probe: no summary box\n");
        return timing;
    }
    Sleep(200);  // let the box settle; the run has not started yet
    const double start = NowMs();
    Answer(summary, IDOK);
    if (ticks) timing.tickTimesMs.assign(101, -1);
    int last = 0;
    HWND closing = nullptr;
    while (NowMs() - start < 20000) {
        if (ticks) {
            const int position = ReadPosition(progress);
            const double now = NowMs() - start;
            if (position > last && position <= 100) {
                for (int p = last + 1; p <= position; ++p) {
                    timing.tickTimesMs[static_cast<std::size_t>(p)] = now;
                }
                last = position;
            }
        }
        closing = FindVisibleWindow(child.pid, kDialogClass, kClosingTitle);
        if (closing) break;
        if (HasExited(child)) break;
        Sleep(1);
    }
    timing.runMs = NowMs() - start;
    if (!closing) {
        std::fprintf(stderr, "probe: the closing question did not show\n");
        return timing;
    }
    Answer(closing, IDNO);
    WaitUntilGone(closing, 5000);
    timing.ok = true;
    return timing;
}

std::optional<Child> LaunchAndShow(const std::wstring& exe, const wchar_t* className, HWND* main) {
    auto child = Launch(exe);
    if (!child) return std::nullopt;
    *main = WaitForVisibleWindow(*child, className, nullptr, kWindowTimeoutMs);
    if (!*main) {
        std::fprintf(stderr, "probe: no window\n");
        CloseAndWait(*child, nullptr);
        return std::nullopt;
    }
    return child;
}

int RunPace(const std::wstring& program, int runs, bool ticks) {
    std::vector<double> runMs;
    std::vector<double> intervals;          // every tick interval, all runs
    std::vector<std::vector<double>> byTick(101);  // interval ending at value v
    std::vector<double> firstTick;
    for (int i = 0; i < runs; ++i) {
        HWND main = nullptr;
        auto child = LaunchAndShow(program, kProgramClass, &main);
        if (!child) return 1;
        const RunTiming timing = DriveRun(*child, main, ticks);
        CloseAndWait(*child, main);
        if (!timing.ok) return 1;
        runMs.push_back(timing.runMs);
        if (ticks) {
            firstTick.push_back(timing.tickTimesMs[1]);
            for (std::size_t v = 2; v <= 100; ++v) {
                const double a = timing.tickTimesMs[v - 1];
                const double b = timing.tickTimesMs[v];
                if (a < 0 || b < 0) continue;
                intervals.push_back(b - a);
                byTick[v].push_back(b - a);
            }
        }
    }
    const double median = Median(runMs);
    const double error = (median - 5000.0) / 5000.0 * 100.0;
    std::printf("| Runs | median s | min s | max s | off the 5.0 s goal |\n");
    std::printf("|---:|---:|---:|---:|---:|\n");
    std::printf("| %d | %.3f | %.3f | %.3f | %+.1f %% |\n", runs, median / 1000.0,
                *std::min_element(runMs.begin(), runMs.end()) / 1000.0,
                *std::max_element(runMs.begin(), runMs.end()) / 1000.0, error);
    std::printf("\n**Pace (OK on the summary box to the closing question, median): %.3f s** "
                "(goal 5.0 s within 2 %%: %s)\n",
                median / 1000.0, std::abs(error) <= 2.0 ? "met" : "NOT met");
    std::printf("\nRaw runs (s): %s\n", Join([&] {
                    std::vector<double> s;
                    for (double v : runMs) s.push_back(v / 1000.0);
                    return s;
                }(), 3).c_str());
    if (!ticks) return 0;

    std::printf("\nTick intervals, read from the progress bar every millisecond "
                "(%zu intervals, values 1 to 100 of %d runs; resolution about 1 ms):\n\n",
                intervals.size(), runs);
    std::printf("| | ms |\n|---|---:|\n");
    std::printf("| OK -> value 1 (median) | %.1f |\n", Median(firstTick));
    std::printf("| interval median | %.1f |\n", Median(intervals));
    std::printf("| interval mean | %.2f |\n", Mean(intervals));
    std::printf("| interval 10th / 90th percentile | %.1f / %.1f |\n", Percentile(intervals, 0.1),
                Percentile(intervals, 0.9));
    std::printf("| interval min / max | %.1f / %.1f |\n",
                *std::min_element(intervals.begin(), intervals.end()),
                *std::max_element(intervals.begin(), intervals.end()));
    std::printf("| 9 -> 10 (backup step runs at 10; median) | %.1f |\n", Median(byTick[10]));
    std::printf("| 10 -> 11 (after the backup step; median) | %.1f |\n", Median(byTick[11]));
    std::printf("| 19 -> 20 (apply step runs at 20; median) | %.1f |\n", Median(byTick[20]));
    std::printf("| 20 -> 21 (after the apply step; median) | %.1f |\n", Median(byTick[21]));
    const double edges[] = {0, 45, 49, 51, 55, 60, 65, 80, 1e9};
    std::printf("\n| interval (ms) | count |\n|---|---:|\n");
    for (std::size_t b = 0; b + 1 < std::size(edges); ++b) {
        std::size_t count = 0;
        for (double v : intervals) count += (v >= edges[b] && v < edges[b + 1]) ? 1 : 0;
        if (edges[b + 1] > 1e8) {
            std::printf("| %.0f and over | %zu |\n", edges[b], count);
        } else {
            std::printf("| %.0f to under %.0f | %zu |\n", edges[b], edges[b + 1], count);
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Memory

struct Memory {
    double peakWorkingSetKiB = 0;
    double workingSetKiB = 0;
    double peakPagefileKiB = 0;
    double pagefileKiB = 0;
    double privateKiB = 0;
};

std::optional<Memory> ReadMemory(const Child& child) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(child.process.get(),
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        std::fprintf(stderr, "probe: GetProcessMemoryInfo failed (%lu)\n", GetLastError());
        return std::nullopt;
    }
    Memory m;
    m.peakWorkingSetKiB = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    m.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    m.peakPagefileKiB = static_cast<double>(counters.PeakPagefileUsage) / 1024.0;
    m.pagefileKiB = static_cast<double>(counters.PagefileUsage) / 1024.0;
    m.privateKiB = static_cast<double>(counters.PrivateUsage) / 1024.0;
    return m;
}

void PrintMemoryRow(const char* what, const std::vector<Memory>& samples) {
    auto median = [&](double Memory::*field) {
        std::vector<double> v;
        for (const Memory& m : samples) v.push_back(m.*field);
        return Median(v) / 1024.0;
    };
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.1f |\n", what,
                median(&Memory::peakWorkingSetKiB), median(&Memory::workingSetKiB),
                median(&Memory::peakPagefileKiB), median(&Memory::pagefileKiB),
                median(&Memory::privateKiB));
}

int RunMemory(const std::wstring& program, const std::wstring& bare, int runs, DWORD holdMs) {
    std::vector<Memory> bareShown;
    std::vector<Memory> programShown;
    std::vector<Memory> programAfterRun;
    for (int i = 0; i < runs; ++i) {
        HWND main = nullptr;
        auto child = LaunchAndShow(bare, nullptr, &main);
        if (!child) return 1;
        Sleep(500);  // painted and idle
        if (auto m = ReadMemory(*child)) bareShown.push_back(*m);
        CloseAndWait(*child, main);

        child = LaunchAndShow(program, kProgramClass, &main);
        if (!child) return 1;
        Sleep(500);  // pictures painted, idle
        if (auto m = ReadMemory(*child)) programShown.push_back(*m);
        const RunTiming timing = DriveRun(*child, main, false);
        if (!timing.ok) {
            CloseAndWait(*child, main);
            return 1;
        }
        Sleep(200);
        if (auto m = ReadMemory(*child)) programAfterRun.push_back(*m);
        // Time for a Linux-side sampler to read the process's peak before it ends.
        Sleep(holdMs);
        CloseAndWait(*child, main);
    }
    if (bareShown.empty() || programShown.empty() || programAfterRun.empty()) return 1;
    std::printf("| Process, moment | PeakWorkingSetSize MiB | WorkingSetSize MiB | "
                "PeakPagefileUsage MiB | PagefileUsage MiB | PrivateUsage MiB |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    PrintMemoryRow("bare window, shown", bareShown);
    PrintMemoryRow("program, shown", programShown);
    PrintMemoryRow("program, after a full optimize run", programAfterRun);
    std::printf("\nMedians of %d start(s) each, read with GetProcessMemoryInfo from the "
                "launcher.\n",
                runs);
    return 0;
}

// ---------------------------------------------------------------------------

int Usage() {
    std::fprintf(stderr,
                 "usage: vornix_startup_probe startup --program P --bare B [--bare-imports I] [--runs N]\n"
                 "                                    [--warmup W]\n"
                 "       vornix_startup_probe memory --program P --bare B [--runs N] [--hold-ms M]\n"
                 "       vornix_startup_probe pace --program P [--runs N] [--ticks]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring mode = argv[1];
    std::wstring program;
    std::wstring bare;
    std::wstring imports;
    int runs = 0;
    int warmups = 1;
    DWORD holdMs = 1000;
    bool ticks = false;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--program" && hasValue) {
            program = argv[++i];
        } else if (arg == L"--bare" && hasValue) {
            bare = argv[++i];
        } else if (arg == L"--bare-imports" && hasValue) {
            imports = argv[++i];
        } else if (arg == L"--runs" && hasValue) {
            runs = std::max(1, static_cast<int>(std::wcstol(argv[++i], nullptr, 10)));
        } else if (arg == L"--warmup" && hasValue) {
            warmups = std::max(0, static_cast<int>(std::wcstol(argv[++i], nullptr, 10)));
        } else if (arg == L"--hold-ms" && hasValue) {
            holdMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else if (arg == L"--ticks") {
            ticks = true;
        } else {
            return Usage();
        }
    }
    if (program.empty()) return Usage();
    if (mode == L"startup") {
        if (bare.empty()) return Usage();
        return RunStartup(program, bare, imports, runs ? runs : 20, warmups);
    }
    if (mode == L"memory") {
        if (bare.empty()) return Usage();
        return RunMemory(program, bare, runs ? runs : 3, holdMs);
    }
    if (mode == L"pace") return RunPace(program, runs ? runs : 5, ticks);
    return Usage();
}
