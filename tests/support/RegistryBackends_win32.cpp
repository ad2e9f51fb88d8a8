// The Windows build's contract-test backends: the in-memory store and the
// real registry, both seeing text in the system's ANSI code page.
#include <string>

#include "support/MemoryBackend.h"
#include "support/RegistryBackends.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32RegistryApi.h"
#include "system/win32/Win32VersionSource.h"

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {

namespace {

const AnsiCodePage& SystemCodePage() {
    static const Win32CodePage codePage;
    return codePage;
}

// The real registry with a scratch key below HKEY_LOCAL_MACHINE named after
// the process, so test runs in parallel do not meet; wiped on both ends.
class Win32BackendInstance final : public RegistryBackendInstance {
public:
    Win32BackendInstance()
        : scratch_("SOFTWARE\\VornixContractTest-" + std::to_string(::GetCurrentProcessId())) {
        Wipe();
    }
    ~Win32BackendInstance() override { Wipe(); }
    Win32BackendInstance(const Win32BackendInstance&) = delete;
    Win32BackendInstance& operator=(const Win32BackendInstance&) = delete;

    RegistryApi& api() override { return api_; }
    const AnsiCodePage& codePage() override { return SystemCodePage(); }
    std::string scratchPath() const override { return scratch_; }

private:
    void Wipe() {
        try {
            DeleteTree(api_, RootHandle(kHkeyLocalMachine), scratch_);
        } catch (...) {
            // Leftovers are named after the pid and never seen by another run.
        }
    }

    Win32RegistryApi api_;
    std::string scratch_;
};

class Win32Machine final : public RealMachine {
public:
    RegistryApi& api() override { return api_; }
    VersionSource& version() override { return version_; }

private:
    Win32RegistryApi api_;
    Win32VersionSource version_;
};

}  // namespace

std::unique_ptr<RealMachine> MakeRealMachine() { return std::make_unique<Win32Machine>(); }

std::vector<RegistryBackend> AllRegistryBackends() {
    return {
        {"Memory", [] { return std::make_unique<MemoryBackendInstance>(SystemCodePage()); }},
        {"Win32", [] { return std::make_unique<Win32BackendInstance>(); }},
    };
}

const AnsiCodePage& TestCodePage() { return SystemCodePage(); }

const AnsiCodePage& NamedCodePage(unsigned number) {
    static const Win32CodePage cp936(936), cp1252(1252);
    return number == 1252 ? cp1252 : cp936;
}

}  // namespace vornix::test
