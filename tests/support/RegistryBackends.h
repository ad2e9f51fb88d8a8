#pragma once
// The registry backends the contract tests run against: the in-memory store
// in every build, and the real registry in the Windows build (under Wine).
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "system/AnsiCodePage.h"
#include "system/Registry.h"
#include "system/RegistryApi.h"
#include "system/VersionSource.h"

namespace vornix::test {

// One backend prepared for a test: a registry, its code page, and a scratch
// key below HKEY_LOCAL_MACHINE that is wiped when the instance is made and
// again when it is destroyed.
class RegistryBackendInstance {
public:
    virtual ~RegistryBackendInstance() = default;
    virtual RegistryApi& api() = 0;
    virtual const AnsiCodePage& codePage() = 0;
    // Path of the scratch key below HKEY_LOCAL_MACHINE, e.g.
    // "SOFTWARE\VornixContractTest-1234". It does not exist on entry.
    virtual std::string scratchPath() const = 0;
};

struct RegistryBackend {
    std::string name;  // "Memory", "Win32"
    std::function<std::unique_ptr<RegistryBackendInstance>()> make;
};

inline void PrintTo(const RegistryBackend& backend, std::ostream* os) { *os << backend.name; }

// Defined once per build: RegistryBackends_native.cpp or RegistryBackends_win32.cpp.
std::vector<RegistryBackend> AllRegistryBackends();

// The system's ANSI code page in this build: code page 936 through iconv
// natively, the real one (936 in the Wine prefix) under Wine.
const AnsiCodePage& TestCodePage();
// A given ANSI code page (936, 1252, ...), whatever the system's.
const AnsiCodePage& NamedCodePage(unsigned number);

// The system's ANSI code page as a user changes it ("Language for
// non-Unicode programs"): the program and the in-memory registry share one,
// and it can be switched between their calls.
class SwitchableCodePage final : public AnsiCodePage {
public:
    explicit SwitchableCodePage(const AnsiCodePage& initial) : current_(&initial) {}
    void Switch(const AnsiCodePage& codePage) { current_ = &codePage; }
    std::string ToAnsi(std::string_view utf8) const override { return current_->ToAnsi(utf8); }
    std::string FromAnsi(std::string_view ansi) const override { return current_->FromAnsi(ansi); }

private:
    const AnsiCodePage* current_;
};

// The machine the tests run on, for the engine's end-to-end suite under
// Wine: its real registry through the program's own Win32RegistryApi, and
// the Windows version Wine reports for the executable. None natively.
class RealMachine {
public:
    virtual ~RealMachine() = default;
    virtual RegistryApi& api() = 0;
    virtual VersionSource& version() = 0;
};
std::unique_ptr<RealMachine> MakeRealMachine();

// Makes the registry a stock machine for the program: no product key, none
// of the values the program writes on either family (as the program's own
// rows name them), the named test interfaces gone, and the TCP/IP keys there.
void CleanMachine(Registry& reg, const std::vector<std::string>& testInterfaces);

// Deletes `path` below `root` with everything under it, through the api.
void DeleteTree(RegistryApi& api, RegKeyHandle root, const std::string& path);

// The registry type of a value below HKEY_LOCAL_MACHINE, or kAbsent when it
// or its key does not exist.
constexpr std::int32_t kAbsent = -1;
std::int32_t ValueType(Registry& reg, const std::string& key, const std::string& name);

}  // namespace vornix::test
