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

bool Form1::BackupSettings() {
    const std::optional<Family> family = StartStep();
    return family && Backup(*family);
}

bool Form1::Backup(Family family) {
    std::vector<std::string> interfaces;
    if (!ListInterfacesOnce(family, interfaces)) return false;
    const FamilyLocations& where = LocationsOf(family);

    // Everything is read before anything is written: each interface's own
    // values, then the family's keys. A value that cannot be read, or
    // exists but holds no number, stops the backup.
    MachineValues machine;
    std::map<std::string, MachineValue> read;  // the last read of each name
    auto take = [&](const std::string& key, const std::vector<Located>& values, InterfaceRecord* record) {
        const std::vector<NumberRead> numbers = ReadNumbers(objReg(), family, key, values);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (numbers[i].kind == NumberRead::Failed || numbers[i].kind == NumberRead::NotNumber) {
                Fail(numbers[i].kind == NumberRead::Failed ? text::Naming(text::kReasonReadFailed, key)
                                                           : text::Naming(text::kReasonNotNumber, key, values[i].name));
                return false;
            }
            const auto number = numbers[i].kind == NumberRead::Number ? std::optional(numbers[i].value) : std::nullopt;
            if (record) record->emplace_back(values[i].name, number);
            read[values[i].name] = {values[i].name, number, numbers[i].text};
        }
        return true;
    };
    for (const std::string& name : interfaces) {
        if (!take(InterfaceKey(name), where.interfaceValues, &machine.interfaces[name])) return false;
    }
    for (const TcpipKey& key : where.keys) {
        if (!take(key.path, key.values, nullptr)) return false;
    }
    // A value of the store comes from the family's key of its name; one only
    // the interfaces have (MTU) from the last interface, or from the tuning
    // set when there is no interface.
    for (const Located& v : where.values) {
        const auto at = read.find(v.name);
        machine.values.push_back(at != read.end() ? at->second : MachineValue{v.name, tuning_.*v.value->member, {}});
    }
    return Written(WriteBackup(objReg(), ProductKey(), family, machine), family);
}

}  // namespace vornix
