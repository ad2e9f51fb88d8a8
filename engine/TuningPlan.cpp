#include "engine/TuningPlan.h"

#include <algorithm>

#include "engine/RegistryNumbers.h"

namespace vornix {
namespace {

// Adds to the changes key by key, in the order they come: writes `number`
// into `name` (as `text` when one is given), or deletes `name` when there
// is no number.
void Put(std::vector<KeyChanges>& changes, Family family, const std::string& key, bool inInterface,
         const std::string& name, std::optional<std::int32_t> number, const std::string& text = {}) {
    if (changes.empty() || changes.back().key != key) changes.push_back({key, inInterface, {}, {}});
    if (!number) {
        changes.back().deletes.push_back(name);
        return;
    }
    changes.back().writes.push_back(NumberValue(family, name, *number));
    if (!text.empty()) changes.back().writes.back().text = text;
}

template <class Values, class Name>
auto Find(const Values& values, const Name& name) {
    return std::find_if(values.begin(), values.end(), [&](const auto& v) { return name == v.name; });
}

}  // namespace

std::vector<KeyChanges> PlanOptimize(Family family, const TuningSet& tuning,
                                     const std::vector<std::string>& interfaces) {
    const FamilyLocations& where = LocationsOf(family);
    std::vector<KeyChanges> changes;
    for (const std::string& name : interfaces) {
        for (const Located& v : where.interfaceValues) {
            Put(changes, family, InterfaceKey(name), true, v.name, tuning.*v.value->member);
        }
    }
    for (const TcpipKey& key : where.keys) {
        for (const Located& v : key.values) {
            Put(changes, family, key.path, false, v.name, tuning.*v.value->member);
        }
    }
    return changes;
}

std::vector<KeyChanges> PlanRestore(Family family, const StoredBackup& backup,
                                    const std::vector<std::string>& interfaces) {
    const FamilyLocations& where = LocationsOf(family);
    std::vector<KeyChanges> changes;
    for (const std::string& name : interfaces) {
        // Its own record; in the plain store the plain values stand for it.
        InterfaceRecord record;
        if (backup.perInterface) {
            const auto own = std::find_if(backup.interfaces.begin(), backup.interfaces.end(),
                                          [&](const auto& r) { return r.first == name; });
            if (own == backup.interfaces.end()) continue;  // added after the backup
            record = own->second;
        } else {
            for (const auto& v : backup.values) record.emplace_back(v.name, v.number);
        }
        for (const Located& v : where.interfaceValues) {
            const auto held = std::find_if(record.begin(), record.end(),
                                           [&](const auto& r) { return r.first == v.name; });
            if (held != record.end()) Put(changes, family, InterfaceKey(name), true, v.name, held->second);
        }
    }
    for (const TcpipKey& key : where.keys) {
        for (const Located& v : key.values) {
            const auto held = Find(backup.values, v.name);
            if (held != backup.values.end()) Put(changes, family, key.path, false, v.name, held->number, held->text);
        }
    }
    return changes;
}

long WriteChanges(Registry& reg, const std::vector<KeyChanges>& changes,
                  std::vector<WrittenValue>& written) {
    long first = kErrorSuccess;
    auto note = [&](long result) {
        if (first == kErrorSuccess) first = result;
    };
    for (const KeyChanges& c : changes) {
        if (!c.writes.empty()) {
            const long result =
                reg.SaveRegValues(kHkeyLocalMachine, c.key, c.writes,
                                  c.inInterface ? Registry::KeyMode::Existing : Registry::KeyMode::Create);
            // An interface that went away meanwhile has nothing to change.
            if (result == kErrorFileNotFound && c.inInterface) continue;
            note(result);
            if (result == kErrorSuccess) {
                for (const Registry::NewValue& v : c.writes) written.push_back({c.inInterface, v.name});
            }
        }
        if (!c.deletes.empty()) note(reg.DeleteRegValues(kHkeyLocalMachine, c.key, c.deletes));
    }
    return first;
}

}  // namespace vornix
