// Windows 98 as its programs meet it, for the test copies of our executables:
// under Wine every wide-character function works whatever Windows version
// Wine reports, where Windows 95/98/ME export most of them as stubs that fail.
//
// Before the C run time starts (a TLS callback of the executable, which the
// loader calls before the entry point), this walks the executable's import
// table and points every import that Windows 98 exports but does not
// implement at a stub that fails as Windows 98's own does (Win9xStubs.h), by
// the table in Win9xFunctions.cpp. GetProcAddress is watched too, so that a
// function looked up at run time meets the same table. An import or a
// lookup the table does not know (or an import of a function Windows 98
// does not export, or one only the test harness may use) ends the process
// at once with exit code 119 and a line on standard error that names it: a
// new import is classified before a test can pass with it.
//
// Linked only into test copies: never into the Release executables or the
// executables the other tests run. Every call of the executable goes through
// the one import table, the test harness's included (see
// tests/CMakeLists.txt for what that means for the engine tests).
//
// Environment, read once at the start:
//   VORNIX_WIN9X_TRACE   set: each call of a stub writes a line to stderr
//   VORNIX_WIN9X_REPORT  a file: the layer writes there what it did with each
//                        import ("stub DLL NAME", "kept DLL NAME") and what a
//                        call of RegSetValueExW through the import table
//                        returned ("called RegSetValueExW: 120")
//
// The layer itself calls only functions Windows 98 implements, and no C run
// time: it runs before the run time is set up.
#include "win9x/Win9xFunctions.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix::test::win9x {
namespace {

constexpr UINT kUnclassifiedExitCode = 119;

// Built into the engine tests (VORNIX_WIN9X_HARNESS=1), the layer leaves
// GoogleTest the few functions it needs that Windows 98 lacks; built into a
// product's test copy, it refuses them there.
#if defined(VORNIX_WIN9X_HARNESS) && VORNIX_WIN9X_HARNESS
constexpr bool kHarness = true;
#else
constexpr bool kHarness = false;
#endif

using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
GetProcAddressFunction gRealGetProcAddress = nullptr;
bool gTrace = false;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool Same(const char* a, const char* b, bool anyCase) {
    for (; *a && *b; ++a, ++b) {
        if (anyCase ? Lower(*a) != Lower(*b) : *a != *b) return false;
    }
    return *a == *b;
}

const char* FileName(const char* path) {
    const char* name = path;
    for (const char* at = path; *at; ++at) {
        if (*at == '\\' || *at == '/') name = at + 1;
    }
    return name;
}

const Library* FindLibrary(const char* dll) {
    for (std::size_t i = 0; i < kLibraryCount; ++i) {
        if (Same(kLibraries[i].name, dll, true)) return &kLibraries[i];
    }
    return nullptr;
}

const Function* FindFunction(const Library* library, const char* name) {
    if (library == nullptr) return nullptr;
    for (std::size_t i = 0; i < library->count; ++i) {
        if (Same(library->functions[i].name, name, false)) return &library->functions[i];
    }
    return nullptr;
}

// Text gathered in a fixed buffer and written with WriteFile; what does not
// fit is cut.
class Text {
public:
    Text& operator<<(const char* text) {
        while (*text && size_ < sizeof buffer_) buffer_[size_++] = *text++;
        return *this;
    }
    Text& operator<<(unsigned long number) {
        char digits[16];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number != 0);
        while (n > 0 && size_ < sizeof buffer_) buffer_[size_++] = digits[--n];
        return *this;
    }
    void WriteTo(HANDLE file) const {
        DWORD written = 0;
        if (file != nullptr && file != INVALID_HANDLE_VALUE) {
            ::WriteFile(file, buffer_, static_cast<DWORD>(size_), &written, nullptr);
        }
    }
    void WriteToFile(const char* path) const {
        const HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == nullptr || file == INVALID_HANDLE_VALUE) return;
        WriteTo(file);
        ::CloseHandle(file);
    }
    bool empty() const { return size_ == 0; }

private:
    char buffer_[16384];
    std::size_t size_ = 0;
};

Text gUnclassified;
Text gReport;

constexpr const char* kNotInTable = "which tests/win9x/Win9xFunctions.cpp does not classify";

void Unclassified(const char* dll, const char* name, const char* how,
                  const char* why = kNotInTable) {
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    gUnclassified << "win9x layer: " << FileName(exe) << " " << how << " " << name << " of "
                  << dll << ", " << why << "\n";
}

[[noreturn]] void StopForUnclassified() {
    gUnclassified.WriteTo(::GetStdHandle(STD_ERROR_HANDLE));
    ::TerminateProcess(::GetCurrentProcess(), kUnclassifiedExitCode);
    for (;;) ::Sleep(INFINITE);
}

FARPROC WINAPI GetProcAddressAsWindows98(HMODULE module, LPCSTR name) {
    const FARPROC real = gRealGetProcAddress(module, name);
    // By ordinal: only a module of our own would be asked so.
    if (real == nullptr || IS_INTRESOURCE(name)) return real;
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    const char* dll = FileName(path);
    const Library* library = FindLibrary(dll);
    if (library != nullptr && library->whole) return real;
    const Function* function = FindFunction(library, name);
    if (function == nullptr) {
        Unclassified(dll, name, "looks up");
        StopForUnclassified();
    }
    switch (function->verdict) {
        case Verdict::Harness:
            if (!kHarness) {
                Unclassified(dll, name, "looks up", "which only the test harness may use");
                StopForUnclassified();
            }
            return real;
        case Verdict::Implemented:
            return real;
        case Verdict::Hooked:
            return reinterpret_cast<FARPROC>(function->stub());
        case Verdict::Fails:
        case Verdict::Refuses:
            return reinterpret_cast<FARPROC>(function->stub());
        case Verdict::Absent:
            break;
    }
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

bool Patch(void** slot, void* value) {
    DWORD old = 0;
    if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    ::VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

// Points the executable's imports at the stubs; writes what it did to
// `report`. Returns the slot of RegSetValueExW, when imported.
void** ApplyTable(BYTE* base, Text& report) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void** regSetValueExW = nullptr;
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         d->Name != 0; ++d) {
        const char* dll = reinterpret_cast<const char*>(base + d->Name);
        const Library* library = FindLibrary(dll);
        const HMODULE loaded = ::GetModuleHandleA(dll);
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                Unclassified(dll, "(an ordinal)", "imports");
                continue;
            }
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            if (library != nullptr && library->whole) continue;
            const Function* function = FindFunction(library, name);
            if (function == nullptr) {
                Unclassified(dll, name, "imports");
                continue;
            }
            void** slot = reinterpret_cast<void**>(&slots->u1.Function);
            switch (function->verdict) {
                case Verdict::Harness:
                    if (!kHarness) {
                        Unclassified(dll, name, "imports", "which only the test harness may use");
                        continue;
                    }
                    [[fallthrough]];
                case Verdict::Implemented: {
                    const bool own = loaded != nullptr &&
                                     reinterpret_cast<void*>(gRealGetProcAddress(loaded, name)) == *slot;
                    report << (own ? "kept " : "kept (not the DLL's own export) ") << library->name
                           << " " << name << "\n";
                    break;
                }
                case Verdict::Absent:
                    Unclassified(dll, name, "imports", "which Windows 98 does not export");
                    break;
                case Verdict::Fails:
                case Verdict::Refuses:
                case Verdict::Hooked:
                    if (!Patch(slot, function->stub())) {
                        Unclassified(dll, name, "could not patch the import of", "VirtualProtect failed");
                        continue;
                    }
                    report << (function->verdict == Verdict::Hooked ? "hooked " : "stub ")
                           << library->name << " " << name << "\n";
                    if (Same(name, "RegSetValueExW", false)) regSetValueExW = slot;
                    break;
            }
        }
    }
    return regSetValueExW;
}

void NTAPI OnProcessAttach(PVOID module, DWORD reason, PVOID) {
    if (reason != DLL_PROCESS_ATTACH) return;
    char value[MAX_PATH] = {};
    gTrace = ::GetEnvironmentVariableA("VORNIX_WIN9X_TRACE", value, MAX_PATH) != 0;
    gRealGetProcAddress = &::GetProcAddress;

    Text& report = gReport;
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    report << "win9x layer in " << exe << "\n";
    void** regSetValueExW = ApplyTable(static_cast<BYTE*>(module), report);
    if (!gUnclassified.empty()) StopForUnclassified();

    const DWORD reportPath = ::GetEnvironmentVariableA("VORNIX_WIN9X_REPORT", value, MAX_PATH);
    if (reportPath == 0 || reportPath >= MAX_PATH) return;
    if (regSetValueExW != nullptr) {
        // The call product code makes, through the patched import table.
        const auto regSet = reinterpret_cast<decltype(&::RegSetValueExW)>(*regSetValueExW);
        const LONG result = regSet(HKEY_CURRENT_USER, L"VornixWin9xLayer", 0, REG_SZ, nullptr, 0);
        report << "called RegSetValueExW: " << static_cast<unsigned long>(result) << "\n";
    }
    report.WriteToFile(value);
}

}  // namespace

void TraceStubCall(const char* name) {
    if (!gTrace) return;
    Text line;
    line << "win9x layer: " << name << " is a stub on Windows 95/98/ME\n";
    line.WriteTo(::GetStdHandle(STD_ERROR_HANDLE));
}

void* HookedGetProcAddress() { return reinterpret_cast<void*>(&GetProcAddressAsWindows98); }

}  // namespace vornix::test::win9x

// The callback's place in the executable's TLS callback list: .CRT$XLB
// sorts before the C run time's own (.CRT$XLC and on), so the table is
// applied before any of the run time's code runs.
extern "C" {
extern const PIMAGE_TLS_CALLBACK vornix_win9x_layer;
#if defined(_MSC_VER)
#pragma section(".CRT$XLB", long, read)
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:vornix_win9x_layer")
__declspec(allocate(".CRT$XLB"))
#else
__attribute__((section(".CRT$XLB"), used))
#endif
const PIMAGE_TLS_CALLBACK vornix_win9x_layer = vornix::test::win9x::OnProcessAttach;
}
