// Saves the machine's current TCP/IP values into the backup store, once,
// before anything is changed. A value that cannot be read ends the backup
// before anything is written; every value of the store is read back as it
// is written.
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

// Reads `names` from `key`. A value that cannot be read, or exists but
// holds no number, stops the backup: false, with the reason.
bool ReadSources(Registry& reg, Family family, const std::string& key,
                 const std::vector<std::string>& names, std::vector<Recorded>& out,
                 std::string& failure) {
    const std::vector<Registry::Value> values = reg.ReadRegValues(kHkeyLocalMachine, key, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const NumberRead read = ToNumber(family, values[i]);
        if (read.kind == NumberRead::Failed) {
            failure = text::Naming(text::kReasonReadFailed, key);
            return false;
        }
        if (read.kind == NumberRead::NotNumber) {
            failure = text::Naming(text::kReasonNotNumber, key, names[i]);
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

// The family key's plain values in order, then the list of those that
// were absent.
std::vector<Registry::NewValue> FamilyValues(Family family, const std::vector<Recorded>& records) {
    std::vector<Registry::NewValue> values;
    std::vector<std::string> absent;
    for (const Recorded& r : records) {
        values.push_back(NumberValue(family, r.name, r.value));
        if (r.absent) absent.push_back(r.name);
    }
    values.push_back(TextValue(kAbsentValuesName, JoinNames(absent)));
    return values;
}

Registry::NewValue FormatValue(std::int32_t format) {
    return NumberValue(Family::NT, kBackupFormatName, format);
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

    // Everything is read before anything is written.
    std::vector<Recorded> records;
    std::vector<Registry::NewValue> extras;  // the exact texts, or each interface's record
    if (family == Family::Win9x) {
        for (const auto& [key, values] : GroupByKey(kWin9xValues.data(),
                                                    kWin9xValues.data() + kWin9xValues.size())) {
            if (!ReadSources(reg, family, key, NamesOf(values), records, lastFailure_)) return false;
        }
        // The number text of the plain values may differ from the source
        // ("576" is kept as " 576"); the exact texts go beside them.
        for (const Recorded& r : records) {
            if (!r.absent) extras.push_back(TextValue(r.name, r.text));
        }
    } else {
        // Each interface's own MTU and window. The plain "MTU" of the store
        // keeps the last interface's, or the tuning set's when there is none.
        const Registry::KeyNames interfaces = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
        if (interfaces.error != kErrorSuccess && interfaces.error != kErrorFileNotFound) {
            Fail(text::Naming(text::kReasonReadFailed, kInterfacesKey));
            return false;
        }
        Recorded mtu{"MTU", tuning_.lngMTU, false, {}};
        for (const std::string& name : interfaces.names) {
            std::vector<Recorded> own;
            if (!ReadSources(reg, family, std::string(kInterfacesKey) + "\\" + name,
                             {"MTU", "TcpWindowSize"}, own, lastFailure_)) {
                return false;
            }
            mtu = own[0];
            extras.push_back(
                TextValue(name, FormatInterfaceRecord({Present(own[0]), Present(own[1])})));
        }
        records.push_back(mtu);
        std::vector<std::string> names;
        for (const auto& v : kNtParameterValues) names.push_back(v.name);
        if (!ReadSources(reg, family, kTcpipParametersKey, names, records, lastFailure_)) {
            return false;
        }
    }

    // The family key is marked unfinished until everything in it is written,
    // and the flag comes last, so a flag of 1 always stands for a complete
    // store. The first write that fails ends the backup.
    const std::string storeKey = ProductKey();
    const std::string familyKey = storeKey + (family == Family::Win9x ? kWin9xStoreKey : kNtStoreKey);
    const std::string extrasKey =
        familyKey + (family == Family::Win9x ? kStoreTextsKey : kStoreInterfacesKey);
    long result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, {FormatValue(kBackupFormatWriting)});
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, FamilyValues(family, records));
    }
    if (result == kErrorSuccess && !extras.empty()) {
        result = reg.SaveRegValues(kHkeyLocalMachine, extrasKey, extras);
    }
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, familyKey,
                                   {FormatValue(kBackupFormatWithAbsence)});
    }
    if (result == kErrorSuccess) {
        result = WriteBackupFlag(reg, storeKey);
    }
    if (result != kErrorSuccess) {
        NoteWrite(result);
        Fail(text::kReasonWriteRefused);
        return false;
    }
    return true;
}

}  // namespace vornix
