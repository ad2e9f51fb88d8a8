#pragma once
// A whole machine for the main window's logic: a registry set up as a
// Windows 98 or XP machine, its version, a recording restart api, fake
// controls and scripted message boxes. The registry is the in-memory one,
// with a settable version; or, for the end-to-end suite under Wine, the real
// one with the version Wine reports, made a stock machine (CleanMachine)
// when the machine is made and again when it goes.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/TcpipValues.h"
#include "support/DesignFacts.h"
#include "support/FormDriver.h"
#include "support/RecordingShutdownApi.h"
#include "support/MemoryRegistryApi.h"
#include "support/RegistryBackends.h"

namespace vornix::test {

inline constexpr const char* kProductKey = design::kProductKey;

class TestMachine : public FormDriver {
public:
    enum class Windows { Win98, XP, Win32s };
    enum class Backend { Memory, Real };

    explicit TestMachine(Windows windows, Backend backend = Backend::Memory)
        : real_(backend == Backend::Real ? MakeRealMachine() : nullptr) {
        if (windows == Windows::Win98) version.Set(1, 4, 10);
        if (windows == Windows::XP) version.Set(2, 5, 1);
        if (windows == Windows::Win32s) version.Set(0, 0, 0);
        RegistryApi& api = real_ ? real_->api() : registry;
        form = std::make_unique<Form1>(
            SystemServices{api, codePage, real_ ? real_->version() : version, shutdown,
                           [this] { if (pump) pump(); }, design::kProductName},
            controls.View());
        reg = std::make_unique<Registry>(api, codePage);
        if (real_) CleanMachine(*reg, {});
    }
    ~TestMachine() {
        form.reset();
        if (real_) CleanMachine(*reg, {interfaces_.begin(), interfaces_.end()});
    }
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    Family family() {
        return clsOS(real_ ? real_->version() : version).OperatingPlatform() == 1 ? Family::Win9x : Family::NT;
    }

    // The TCP/IP keys of a stock machine: they exist, with none of the
    // values the program writes (and in memory a value of their own).
    void StockWin98() {
        reg->CreateRegKey(kHkeyLocalMachine, std::string(kNetTransKey) + "\\0000");
        if (!real_) reg->SaveRegString(kHkeyLocalMachine, kMstcpKey, "EnableDNS", "1");
    }
    void StockXP(const std::vector<std::string>& interfaces) {
        if (!real_) reg->SaveRegString(kHkeyLocalMachine, kTcpipParametersKey, "Hostname", "vornix-test");
        for (const auto& name : interfaces) reg->SaveRegWord(kHkeyLocalMachine, InterfaceKey(name), "EnableDHCP", 1);
    }
    // An interface's key; on the real registry the interface goes with the machine.
    std::string InterfaceKey(const std::string& name) {
        interfaces_.insert(name);
        return vornix::InterfaceKey(name);
    }

    // The machine's own state (in memory everything below System, on the
    // real registry the TCP/IP keys), or the product key alone (the
    // program's store).
    std::string MachineState() const {
        if (!real_) return TreeState("System");
        return TreeState(kNetTransKey) + "\n" + TreeState(kMstcpKey) + "\n" + TreeState(kTcpipParametersKey);
    }
    std::string StoreState() const { return TreeState(kProductKey); }

    // The key below HKEY_LOCAL_MACHINE and everything in it, with its own
    // path left out, a line a key and a value with its type and bytes:
    // two trees that hold the same give the same text, whatever their names.
    std::string TreeState(const std::string& key) const {
        std::set<std::string> lines;
        Collect(key, "", lines);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }

    bool FlagSet() { return ReadBackupFlag(*reg, kProductKey) == BackupFlag::Set; }

    // The system's code page, shared by the program and the registry.
    SwitchableCodePage codePage{TestCodePage()};
    MemoryRegistryApi registry{codePage};
    SettableVersionSource version;
    RecordingShutdownApi shutdown;
    std::function<void()> pump;
    std::unique_ptr<Registry> reg;  // the test's own view of the registry

private:
    void Collect(const std::string& key, const std::string& shown, std::set<std::string>& lines) const {
        const Registry::KeyNames names = reg->ValueNames(kHkeyLocalMachine, key);
        if (names.error != kErrorFileNotFound) lines.insert(shown + "\\");
        const std::vector<Registry::Value> values = reg->ReadRegValues(kHkeyLocalMachine, key, names.names);
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::string bytes;
            for (const std::uint8_t b : values[i].data) bytes += "0123456789abcdef"[b >> 4], bytes += "0123456789abcdef"[b & 15];
            lines.insert(shown + "|" + names.names[i] + " " + std::to_string(values[i].type) + " " + bytes);
        }
        for (const std::string& sub : reg->SubKeyNames(kHkeyLocalMachine, key).names) {
            Collect(key + "\\" + sub, shown + "\\" + sub, lines);
        }
    }

    std::unique_ptr<RealMachine> real_;
    std::set<std::string> interfaces_;
};

}  // namespace vornix::test
