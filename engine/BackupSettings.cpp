// Saves the machine's current TCP/IP values into the backup store, once,
// before anything is changed. A value that cannot be read ends the backup
// before anything is written; every value of the store is read back as it
// is written.
#include <map>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"

namespace vornix {
namespace {

// Reads the values of `key`, by name into `out`. A value that cannot be
// read, or exists but holds no number, stops the backup: false, with the
// reason.
bool ReadSources(Registry& reg, Family family, const std::string& key,
                 const std::vector<Located>& values, std::map<std::string, MachineValue>& out,
                 std::string& failure) {
    const std::vector<std::string> names = NamesOf(values);
    const std::vector<Registry::Value> read = reg.ReadRegValues(kHkeyLocalMachine, key, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const NumberRead number = ToNumber(family, read[i]);
        if (number.kind == NumberRead::Failed) {
            failure = text::Naming(text::kReasonReadFailed, key);
            return false;
        }
        if (number.kind == NumberRead::NotNumber) {
            failure = text::Naming(text::kReasonNotNumber, key, names[i]);
            return false;
        }
        out[names[i]] = {names[i],
                         number.kind == NumberRead::Absent ? std::nullopt
                                                           : std::optional(number.value),
                         read[i].text};
    }
    return true;
}

}  // namespace

bool Form1::BackupSettings() {
    const std::optional<FamilyStep> step = StartFamilyStep();
    return step && Backup(*step);
}

bool Form1::Backup(const FamilyStep& step) {
    if (!InterfacesListed(step)) return false;
    const FamilyLocations& where = LocationsOf(step.family);
    Registry& reg = objReg();

    // Everything is read before anything is written: each interface's own
    // values, then the family's keys.
    MachineValues machine;
    std::map<std::string, MachineValue> lastInterface, keys;
    for (const std::string& name : step.interfaces.names) {
        lastInterface.clear();
        if (!ReadSources(reg, step.family, InterfaceKey(name), where.interfaceValues, lastInterface,
                         lastFailure_)) {
            return false;
        }
        InterfaceRecord record;
        for (const Located& v : where.interfaceValues) record.emplace_back(v.name, lastInterface[v.name].number);
        machine.interfaces.emplace_back(name, std::move(record));
    }
    for (const TcpipKey& key : where.keys) {
        if (!ReadSources(reg, step.family, key.path, key.values, keys, lastFailure_)) return false;
    }
    // A value of the store comes from the family's key of its name; one only
    // the interfaces have (MTU) from the last interface, or from the tuning
    // set when there is no interface.
    for (const Located& v : where.values) {
        if (const auto at = keys.find(v.name); at != keys.end()) {
            machine.values.push_back(at->second);
        } else if (const auto own = lastInterface.find(v.name); own != lastInterface.end()) {
            machine.values.push_back(own->second);
        } else {
            machine.values.push_back({v.name, tuning_.*v.value->member, {}});
        }
    }
    return Written(WriteBackup(reg, ProductKey(), step.family, machine), step.family);
}

}  // namespace vornix
