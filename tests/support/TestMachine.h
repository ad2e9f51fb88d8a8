#pragma once
// A whole machine for the main window's logic: an in-memory registry set up
// as a Windows 98 or XP machine, a settable version, a recording restart
// api, fake controls and scripted message boxes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/TcpipValues.h"
#include "support/FormDriver.h"
#include "support/RecordingShutdownApi.h"
#include "support/MemoryRegistryApi.h"
#include "support/RegistryBackends.h"

namespace vornix::test {

inline constexpr const char* kProductKey = "SOFTWARE\\Vornix Internet Optimizer";

class TestMachine : public FormDriver {
public:
    enum class Windows { Win98, XP, Win32s };

    explicit TestMachine(Windows windows) {
        if (windows == Windows::Win98) version.Set(1, 4, 10);
        if (windows == Windows::XP) version.Set(2, 5, 1);
        if (windows == Windows::Win32s) version.Set(0, 0, 0);
        form = std::make_unique<Form1>(
            SystemServices{registry, codePage, version, shutdown, [this] { if (pump) pump(); },
                           "Vornix Internet Optimizer"},
            controls.View());
        reg = std::make_unique<Registry>(registry, codePage);
    }

    // The TCP/IP keys of a stock machine: they exist, with none of the
    // values the program writes.
    void StockWin98() {
        reg->CreateRegKey(kHkeyLocalMachine, kNetTransKey);
        reg->CreateRegKey(kHkeyLocalMachine, std::string(kNetTransKey) + "\\0000");
        reg->SaveRegString(kHkeyLocalMachine, kMstcpKey, "EnableDNS", "1");
    }
    void StockXP(const std::vector<std::string>& interfaces) {
        reg->SaveRegString(kHkeyLocalMachine, kTcpipParametersKey, "Hostname", "vornix-test");
        for (const auto& name : interfaces) {
            reg->SaveRegWord(kHkeyLocalMachine, std::string(kInterfacesKey) + "\\" + name,
                             "EnableDHCP", 1);
        }
    }
    std::string InterfaceKey(const std::string& name) const {
        return std::string(kInterfacesKey) + "\\" + name;
    }

    // Everything below HKEY_LOCAL_MACHINE but the product key (the machine's
    // own state), or the product key alone (the program's store).
    std::string MachineState() const { return Dump(false); }
    std::string StoreState() const { return Dump(true); }

    // The key below HKEY_LOCAL_MACHINE and everything in it, with its own
    // path left out: two trees that hold the same give the same text,
    // whatever their names.
    std::string TreeState(const std::string& key) const {
        std::string path = "[";
        for (const char c : key) path += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        std::string lines;
        ForEachLine([&](const std::string& line) {
            if (line.rfind(path, 0) == 0 && (line[path.size()] == ']' || line[path.size()] == '\\')) {
                lines += line.substr(path.size()) + "\n";
            }
        });
        return lines;
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
    template <class Take>
    void ForEachLine(Take take) const {
        const std::string dump = registry.Dump(RootHandle(kHkeyLocalMachine));
        for (std::size_t start = 0; start < dump.size();) {
            const std::size_t end = dump.find('\n', start);
            take(dump.substr(start, end - start));
            start = end + 1;
        }
    }
    std::string Dump(bool store) const {
        std::string lines;
        ForEachLine([&](const std::string& line) {
            if ((line.rfind("[SOFTWARE", 0) == 0) == store) lines += line + "\n";
        });
        return lines;
    }
};

}  // namespace vornix::test
