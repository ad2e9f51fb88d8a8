#include "engine/TuningPlan.h"

#include <algorithm>

#include "engine/RegistryNumbers.h"

namespace vornix {
namespace {

// What a key is to hold of a value: a number, written (as `text` when one
// is given), or none, deleted.
struct Held {
    std::optional<std::int32_t> number;
    std::string text{};
};

// The changes, key by key: into each interface listed its values, then into
// the family's own keys theirs, each as `held` (the interface's name, or
// empty for the family's keys, and the value) says; nothing where it says
// nothing.
template <class HeldOf>
std::vector<KeyChanges> Plan(Family family, const std::vector<std::string>& interfaces, HeldOf held) {
    const FamilyLocations& where = LocationsOf(family);
    std::vector<KeyChanges> changes;
    auto put = [&](const std::string& key, bool inInterface, const std::string& itf, const Located& v) {
        const std::optional<Held> value = held(itf, v);
        if (!value) return;
        if (changes.empty() || changes.back().key != key) changes.push_back({key, inInterface, {}, {}});
        if (!value->number) return changes.back().deletes.push_back(v.name);
        changes.back().writes.push_back(NumberValue(family, v.name, *value->number));
        if (!value->text.empty()) changes.back().writes.back().text = value->text;
    };
    for (const std::string& itf : interfaces) {
        for (const Located& v : where.interfaceValues) put(InterfaceKey(itf), true, itf, v);
    }
    for (const TcpipKey& key : where.keys) {
        for (const Located& v : key.values) put(key.path, false, {}, v);
    }
    return changes;
}

template <class Pairs>
auto Find(const Pairs& pairs, const std::string& name) {
    return std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first == name; });
}

}  // namespace

std::vector<KeyChanges> PlanOptimize(Family family, const TuningSet& tuning,
                                     const std::vector<std::string>& interfaces) {
    return Plan(family, interfaces, [&](const std::string&, const Located& v) {
        return std::optional<Held>(Held{tuning.*v.value->member});
    });
}

std::vector<KeyChanges> PlanRestore(Family family, const StoredBackup& backup,
                                    const std::vector<std::string>& interfaces) {
    return Plan(family, interfaces, [&](const std::string& itf, const Located& v) -> std::optional<Held> {
        // An interface's own record; in the plain store the plain values
        // stand for every interface.
        if (!itf.empty() && backup.perInterface) {
            const auto record = backup.interfaces.find(itf);
            if (record == backup.interfaces.end()) return std::nullopt;  // added after the backup
            const auto value = Find(record->second, v.name);
            if (value == record->second.end()) return std::nullopt;
            return Held{value->second};
        }
        const auto value = std::find_if(backup.values.begin(), backup.values.end(),
                                        [&](const StoredBackup::Value& s) { return s.name == v.name; });
        if (value == backup.values.end()) return std::nullopt;
        return Held{value->number, itf.empty() ? value->text : std::string()};
    });
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
