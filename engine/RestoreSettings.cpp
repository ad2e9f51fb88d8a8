// Writes the values of the backup store back into the TCP/IP locations of
// the running family, through the tuning set. Values that did not exist when
// the backup was taken are deleted again; each interface gets its own values
// back, and interfaces the backup does not know are left alone.
#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

std::set<std::string> SplitAbsent(const std::string& list) {
    std::set<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (end > start) names.insert(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// One change to make: write `value`, or delete the value when there is none.
struct Change {
    std::string key;
    std::string name;
    std::optional<std::int32_t> value;
};

}  // namespace

bool Form1::RestoreSettings() {
    lastFailure_.clear();
    if (!BackupExists()) {
        lastFailure_ = text::kReasonNoBackup;
        return false;
    }
    const std::int32_t platform = objOS().OperatingPlatform();
    if (platform == 0) {
        lastFailure_ = text::kReasonUnknownWindows;
        return false;
    }
    Registry& reg = objReg();
    const Family family = platform == 1 ? Family::Win9x : Family::NT;
    const std::string familyKey = ProductKey() + (family == Family::Win9x ? kWin9xStoreKey
                                                                          : kNtStoreKey);
    // A store written before absence was recorded has every value present.
    const bool recordsAbsence = reg.ReadRegWord(kHkeyLocalMachine, familyKey,
                                                kBackupFormatName) >= kBackupFormatWithAbsence;
    auto absentIn = [&](const std::string& key) {
        return recordsAbsence
                   ? SplitAbsent(reg.ReadRegString(kHkeyLocalMachine, key, kAbsentValuesName))
                   : std::set<std::string>();
    };
    const std::set<std::string> absent = absentIn(familyKey);

    std::vector<Change> changes;
    if (family == Family::Win9x) {
        for (const auto& v : kWin9xValues) {
            if (absent.count(v.name)) {
                changes.push_back({v.key, v.name, std::nullopt});
                continue;
            }
            const NumberRead saved = ReadNumber(reg, family, familyKey, v.name);
            if (saved.kind != NumberRead::Number) {
                // Nothing has been written yet; the members read so far keep
                // their restored values.
                lastFailure_ = std::string(text::kReasonNotNumber) + "HKEY_LOCAL_MACHINE\\" +
                               familyKey + "\\" + v.name;
                return false;
            }
            tuning_.*v.member = saved.value;
            changes.push_back({v.key, v.name, saved.value});
        }
    } else {
        // A store that records absence holds a DWORD for every value it does
        // not list as absent; anything else there means the store was
        // damaged, and nothing is written from it.
        bool intact = true;
        auto saved = [&](const std::string& key, const char* name) {
            if (recordsAbsence && intact &&
                reg.ReadRegType(kHkeyLocalMachine, key, name) != static_cast<std::int32_t>(kRegDword)) {
                intact = false;
                lastFailure_ = std::string(text::kReasonNotNumber) + "HKEY_LOCAL_MACHINE\\" + key +
                               "\\" + name;
            }
            return reg.ReadRegWord(kHkeyLocalMachine, key, name);
        };
        auto load = [&](const char* name, TuningMember member) {
            if (!absent.count(name)) tuning_.*member = saved(familyKey, name);
        };
        load("MTU", &TuningSet::lngMTU);
        for (const auto& v : kNtParameterValues) load(v.name, v.member);

        const std::int32_t n = reg.SubKeyCount(kHkeyLocalMachine, kInterfacesKey);
        for (std::int32_t i = 1; i <= n; ++i) {
            const std::string name = reg.SubKeyName(kHkeyLocalMachine, kInterfacesKey, i);
            if (name.empty()) continue;
            const std::string key = std::string(kInterfacesKey) + "\\" + name;
            if (!recordsAbsence) {
                // One MTU and the global window for every interface.
                for (const auto& v : kNtInterfaceValues) {
                    changes.push_back({key, v.name, tuning_.*v.member});
                }
                continue;
            }
            const std::string recordKey = familyKey + kStoreInterfacesKey + "\\" + name;
            if (reg.ReadRegType(kHkeyLocalMachine, recordKey, kAbsentValuesName) ==
                Registry::kValueAbsent) {
                continue;  // came after the backup: not ours to change
            }
            const std::set<std::string> absentHere = absentIn(recordKey);
            for (const auto& v : kNtInterfaceValues) {
                if (absentHere.count(v.name)) {
                    changes.push_back({key, v.name, std::nullopt});
                } else {
                    changes.push_back({key, v.name, saved(recordKey, v.name)});
                }
            }
        }
        for (const auto& v : kNtParameterValues) {
            if (absent.count(v.name)) {
                changes.push_back({v.key, v.name, std::nullopt});
            } else {
                changes.push_back({v.key, v.name, tuning_.*v.member});
            }
        }
        if (!intact) return false;
    }

    bool restored = true;
    for (const auto& c : changes) {
        restored = (c.value ? WriteNumber(reg, family, c.key, c.name, *c.value)
                            : RemoveValue(reg, c.key, c.name)) &&
                   restored;
    }
    if (!restored) lastFailure_ = text::kReasonWriteRefused;
    return restored;
}

}  // namespace vornix
