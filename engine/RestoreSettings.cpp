// Writes the values of the backup store back into the TCP/IP locations of
// the running family, through the tuning set. Values that did not exist when
// the backup was taken are deleted again; each interface gets its own values
// back, and interfaces the backup does not know are left alone. A store
// that cannot be read whole is not restored from at all.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/NumberText.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

// The changes for one key: values to write in order, then values to delete.
struct KeyChanges {
    std::string key;
    std::vector<Registry::NewValue> writes;
    std::vector<std::string> deletes;
};

KeyChanges& ChangesFor(std::vector<KeyChanges>& all, const std::string& key) {
    if (all.empty() || all.back().key != key) all.push_back({key, {}, {}});
    return all.back();
}

void Put(std::vector<KeyChanges>& all, Family family, const std::string& key,
         const std::string& name, std::optional<std::int32_t> value) {
    KeyChanges& changes = ChangesFor(all, key);
    if (value) {
        changes.writes.push_back(NumberValue(family, name, *value));
    } else {
        changes.deletes.push_back(name);
    }
}

}  // namespace

bool Form1::RestoreSettings() {
    lastFailure_.clear();
    if (!BackupExists()) {
        lastFailure_ = text::kReasonNoBackup;
        return false;
    }
    const std::optional<Family> running = RunningFamily();
    if (!running) return false;
    const Family family = *running;
    Registry& reg = objReg();
    const std::string familyKey = ProductKey() + (family == Family::Win9x ? kWin9xStoreKey
                                                                          : kNtStoreKey);
    auto damaged = [&](const std::string& key, const std::string& name) {
        lastFailure_ = std::string(text::kReasonNotNumber) + "HKEY_LOCAL_MACHINE\\" + key + "\\" + name;
        return false;
    };

    // The family key: its plain values in order, then the additions.
    std::vector<std::string> names;
    if (family == Family::Win9x) {
        for (const auto& v : kWin9xValues) names.push_back(v.name);
    } else {
        names.push_back("MTU");
        for (const auto& v : kNtParameterValues) names.push_back(v.name);
    }
    const std::size_t plain = names.size();
    names.push_back(kAbsentValuesName);
    names.push_back(kBackupFormatName);
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    // A store written before absence was recorded has every value present.
    const bool recordsAbsence = saved[plain + 1].IsDword() &&
                                saved[plain + 1].number >= kBackupFormatWithAbsence;
    const std::set<std::string> absent =
        recordsAbsence ? SplitNames(saved[plain].text) : std::set<std::string>();

    std::vector<KeyChanges> changes;
    if (family == Family::Win9x) {
        // The source texts as they were, where the store has them.
        const std::vector<Registry::Value> texts =
            recordsAbsence ? reg.ReadRegValues(kHkeyLocalMachine, familyKey + kStoreTextsKey,
                                               std::vector<std::string>(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(plain)))
                           : std::vector<Registry::Value>(plain);
        for (std::size_t i = 0; i < plain; ++i) {
            const TcpipValue& v = kWin9xValues[i];
            if (absent.count(v.name)) {
                Put(changes, family, v.key, v.name, std::nullopt);
                continue;
            }
            const NumberRead read = ToNumber(family, saved[i]);
            // Nothing has been written yet; the members read so far keep
            // their restored values.
            if (read.kind != NumberRead::Number) return damaged(familyKey, v.name);
            tuning_.*v.member = read.value;
            Put(changes, family, v.key, v.name, read.value);
            // Write the text exactly as it was, when it stands for the same number.
            if (texts[i].IsString() && ParseNumberText(texts[i].text) == read.value) {
                changes.back().writes.back().text = texts[i].text;
            }
        }
    } else {
        // A store that records absence holds a DWORD for every value it does
        // not list as absent; anything else there means it was damaged. An
        // older store is read as it always was: what is not a DWORD is 0.
        auto load = [&](std::size_t i, TuningMember member) {
            if (absent.count(names[i])) return true;
            if (recordsAbsence && !saved[i].IsDword()) return false;
            tuning_.*member = saved[i].IsDword() ? saved[i].number : 0;
            return true;
        };
        if (!load(0, &TuningSet::lngMTU)) return damaged(familyKey, names[0]);
        for (std::size_t i = 1; i < plain; ++i) {
            if (!load(i, kNtParameterValues[i - 1].member)) return damaged(familyKey, names[i]);
        }

        const std::vector<std::string> interfaces = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
        const std::string recordsKey = familyKey + kStoreInterfacesKey;
        const std::vector<Registry::Value> records =
            recordsAbsence ? reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces)
                           : std::vector<Registry::Value>(interfaces.size());
        for (std::size_t i = 0; i < interfaces.size(); ++i) {
            const std::string key = std::string(kInterfacesKey) + "\\" + interfaces[i];
            if (!recordsAbsence) {
                // One MTU and the global window for every interface.
                Put(changes, family, key, "MTU", tuning_.lngMTU);
                Put(changes, family, key, "TcpWindowSize", tuning_.lngRWIN);
                continue;
            }
            if (records[i].type == Registry::kValueAbsent) continue;  // came after the backup
            const auto record =
                records[i].IsString() ? ParseInterfaceRecord(records[i].text) : std::nullopt;
            if (!record) return damaged(recordsKey, interfaces[i]);
            Put(changes, family, key, "MTU", record->mtu);
            Put(changes, family, key, "TcpWindowSize", record->tcpWindowSize);
        }
        for (std::size_t i = 1; i < plain; ++i) {
            const TcpipValue& v = kNtParameterValues[i - 1];
            Put(changes, family, v.key, v.name,
                absent.count(v.name) ? std::nullopt : std::optional<std::int32_t>(tuning_.*v.member));
        }
    }

    bool restored = true;
    for (const KeyChanges& c : changes) {
        if (!c.writes.empty()) {
            restored = reg.SaveRegValues(kHkeyLocalMachine, c.key, c.writes) && restored;
        }
        if (!c.deletes.empty()) {
            restored = reg.DeleteRegValues(kHkeyLocalMachine, c.key, c.deletes) && restored;
        }
    }
    if (!restored) lastFailure_ = text::kReasonWriteRefused;
    return restored;
}

}  // namespace vornix
