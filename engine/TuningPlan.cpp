#include "engine/TuningPlan.h"

#include <algorithm>

#include "engine/RegistryNumbers.h"

namespace vornix {
namespace {

// Into `changes`, a value that is to hold `number` (as `text` where one is
// given), or, with none, not to exist.
void Put(KeyChanges& changes, Family family, const std::string& name, const std::optional<std::int32_t>& number,
         const std::string& text = {}) {
    if (!number) return changes.deletes.push_back(name);
    changes.writes.push_back(NumberValue(family, name, *number));
    if (!text.empty()) changes.writes.back().text = text;
}

// The changes that make the family's places hold what `target` holds: into
// each of its interfaces its record, then into the family's own keys its
// plain values; a value `target` says nothing of is left alone.
std::vector<KeyChanges> PlanWrites(Family family, const MachineValues& target) {
    const FamilyLocations& where = LocationsOf(family);
    std::vector<KeyChanges> changes;
    for (const auto& [itf, record] : target.interfaces) {
        changes.push_back({InterfaceKey(itf), true, {}, {}});
        for (const Located& v : where.interfaceValues) {
            const auto at = std::find_if(record.begin(), record.end(), [&](const auto& r) { return r.first == v.name; });
            if (at != record.end()) Put(changes.back(), family, v.name, at->second);
        }
    }
    for (const TcpipKey& key : where.keys) {
        changes.push_back({key.path, false, {}, {}});
        for (const Located& v : key.values) {
            const auto at = std::find_if(target.values.begin(), target.values.end(),
                                         [&](const MachineValue& m) { return m.name == v.name; });
            if (at != target.values.end()) Put(changes.back(), family, v.name, at->number, at->text);
        }
    }
    return changes;
}

}  // namespace

std::vector<KeyChanges> PlanOptimize(Family family, const TuningSet& tuning,
                                     const std::vector<std::string>& interfaces) {
    const FamilyLocations& where = LocationsOf(family);
    MachineValues tuned;
    for (const Located& v : where.values) tuned.values.push_back({v.name, tuning.*v.value->member, {}});
    for (const std::string& itf : interfaces) {
        for (const Located& v : where.interfaceValues) tuned.interfaces[itf].emplace_back(v.name, tuning.*v.value->member);
    }
    return PlanWrites(family, tuned);
}

std::vector<KeyChanges> PlanRestore(Family family, const StoredBackup& backup) {
    return PlanWrites(family, backup.machine);
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
