// Saves the machine's current TCP/IP values into the backup store, once,
// before anything is changed. Every value of the store is read back as it is
// written, and the flag is written last, so a flag of 1 always stands for a
// complete backup.
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

// A source value as found: a number, or absent (kept as 0 in the store's
// plain value).
struct Recorded {
    std::string name;
    std::int32_t value = 0;
    bool absent = false;
    std::string text;  // a string value's text as it was
};

std::string NotNumberReason(const std::string& key, const std::string& name) {
    return std::string(text::kReasonNotNumber) + "HKEY_LOCAL_MACHINE\\" + key + "\\" + name;
}

// Reads `names` from `key`. A value that exists but holds no number stops
// the backup: false, with the reason.
bool ReadSources(Registry& reg, Family family, const std::string& key,
                 const std::vector<std::string>& names, std::vector<Recorded>& out,
                 std::string& failure) {
    const std::vector<Registry::Value> values = reg.ReadRegValues(kHkeyLocalMachine, key, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const NumberRead read = ToNumber(family, values[i]);
        if (read.kind == NumberRead::NotNumber) {
            failure = NotNumberReason(key, names[i]);
            return false;
        }
        out.push_back({names[i], read.value, read.kind == NumberRead::Absent, values[i].text});
    }
    return true;
}

std::vector<std::string> NamesOf(const std::vector<const TcpipValue*>& values) {
    std::vector<std::string> names;
    for (const TcpipValue* v : values) names.push_back(v->name);
    return names;
}

// The family key's values: the plain ones in order, then the list of those
// that were absent and the mark that the list is there.
std::vector<Registry::NewValue> FamilyValues(Family family, const std::vector<Recorded>& records) {
    std::vector<Registry::NewValue> values;
    std::vector<std::string> absent;
    for (const Recorded& r : records) {
        values.push_back(NumberValue(family, r.name, r.value));
        if (r.absent) absent.push_back(r.name);
    }
    values.push_back(TextValue(kAbsentValuesName, JoinNames(absent)));
    values.push_back(NumberValue(Family::NT, kBackupFormatName, kBackupFormatWithAbsence));
    return values;
}

std::optional<std::int32_t> Present(const Recorded& r) {
    return r.absent ? std::nullopt : std::optional<std::int32_t>(r.value);
}

}  // namespace

bool Form1::BackupSettings() {
    lastFailure_.clear();
    const std::optional<Family> running = RunningFamily();
    if (!running) return false;
    const Family family = *running;
    Registry& reg = objReg();
    const std::string storeKey = ProductKey();
    std::string familyKey;
    bool stored = true;

    if (family == Family::Win9x) {
        std::vector<Recorded> records;
        for (const auto& [key, values] : GroupByKey(kWin9xValues.data(),
                                                    kWin9xValues.data() + kWin9xValues.size())) {
            if (!ReadSources(reg, family, key, NamesOf(values), records, lastFailure_)) return false;
        }
        familyKey = storeKey + kWin9xStoreKey;
        reg.CreateRegKey(kHkeyLocalMachine, familyKey);
        stored = reg.SaveRegValues(kHkeyLocalMachine, familyKey, FamilyValues(family, records));
        // The number text of the plain values may differ from the source
        // ("576" is kept as " 576"); the exact texts go beside them.
        std::vector<Registry::NewValue> texts;
        for (const Recorded& r : records) {
            if (!r.absent) texts.push_back(TextValue(r.name, r.text));
        }
        stored = (texts.empty() ||
                  reg.SaveRegValues(kHkeyLocalMachine, familyKey + kStoreTextsKey, texts)) &&
                 stored;
    } else {
        // Each interface's own MTU and window. The plain "MTU" of the store
        // keeps the last interface's, or the tuning set's when there is none.
        const std::vector<std::string> interfaces = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
        std::vector<Registry::NewValue> interfaceRecords;
        Recorded mtu{"MTU", tuning_.lngMTU, false, {}};
        for (const std::string& name : interfaces) {
            std::vector<Recorded> own;
            if (!ReadSources(reg, family, std::string(kInterfacesKey) + "\\" + name,
                             {"MTU", "TcpWindowSize"}, own, lastFailure_)) {
                return false;
            }
            mtu = own[0];
            interfaceRecords.push_back(
                TextValue(name, FormatInterfaceRecord({Present(own[0]), Present(own[1])})));
        }
        std::vector<Recorded> records{mtu};
        std::vector<std::string> names;
        for (const auto& v : kNtParameterValues) names.push_back(v.name);
        if (!ReadSources(reg, family, kTcpipParametersKey, names, records, lastFailure_)) {
            return false;
        }
        familyKey = storeKey + kNtStoreKey;
        reg.CreateRegKey(kHkeyLocalMachine, familyKey);
        stored = reg.SaveRegValues(kHkeyLocalMachine, familyKey, FamilyValues(family, records));
        stored = reg.SaveRegValues(kHkeyLocalMachine, familyKey + kStoreInterfacesKey,
                                   interfaceRecords) && stored;
    }
    // The flag last, and only over a store that holds everything.
    if (!stored || !reg.SaveRegValues(kHkeyLocalMachine, storeKey,
                                      {NumberValue(Family::NT, kBackupFlagName, 1)})) {
        lastFailure_ = text::kReasonWriteRefused;
        return false;
    }
    return true;
}

}  // namespace vornix
