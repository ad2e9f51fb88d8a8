#include "engine/BackupStore.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "engine/NumberText.h"
#include "engine/RunTexts.h"

namespace vornix {
namespace {

constexpr const char* kStoreInterfacesKey = "\\Interfaces";
constexpr const char* kStoreTextsKey = "\\Texts";
constexpr const char* kAbsentValuesName = "AbsentValues";
constexpr const char* kBackupFormatName = "BackupFormat";
constexpr std::int32_t kBackupFormatWriting = 1;
constexpr std::int32_t kBackupFormatWithAbsence = 2;

// The plain values of each family key, and the values of an interface
// record, as the store lays them out: see StoreValuesOf before changing them.
constexpr StoreValue kWin9xStoreValues[] = {
    {"MaxMTU", &TuningSet::lngMTU},
    {"MaxMSS", &TuningSet::lngMSS},
    {"DefaultRcvWindow", &TuningSet::lngRWIN},
    {"DefaultTTL", &TuningSet::lngTTL},
    {"PMTUBlackHoleDetect", &TuningSet::lngPMTUBHDetect},
    {"PMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
constexpr StoreValue kNtStoreValues[] = {
    {"MTU", &TuningSet::lngMTU, true},
    {"TcpWindowSize", &TuningSet::lngRWIN, true},
    {"DefaultTTL", &TuningSet::lngTTL, true},
    {"EnablePMTUBHDetect", &TuningSet::lngPMTUBHDetect},
    {"EnablePMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
constexpr const char* kInterfaceRecordNames[] = {"MTU", "TcpWindowSize"};

// Key names compare without regard to case; the store's own are ASCII.
bool SameKeyName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// "<family key name>.damaged-"
std::string SetAsidePrefix(Family family) {
    return FamilyKey({}, family).substr(1) + ".damaged-";
}

// The N of a subkey named "<family key name>.damaged-N", or 0 when the name
// is not one.
unsigned SetAsideNumber(const std::string& name, Family family) {
    const std::string prefix = SetAsidePrefix(family);
    if (name.size() <= prefix.size() || !SameKeyName(name.substr(0, prefix.size()), prefix)) return 0;
    unsigned n = 0;
    for (const char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || n > 100000) return 0;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

// The names of absent values, joined by "," and split again.
std::string JoinNames(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ",") + name;
    return list;
}

std::set<std::string> SplitNames(const std::string& list) {
    std::set<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (end > start) names.insert(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// An interface's record: its values in the record's order, such as
// "MTU=1400;TcpWindowSize=-" ("-": the value did not exist).
std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    std::string text;
    for (const char* name : kInterfaceRecordNames) {
        const auto at = record.find(name);
        const bool present = at != record.end() && at->second;
        if (!text.empty()) text += ';';
        text += name;
        text += '=';
        text += present ? std::to_string(*at->second) : "-";
    }
    return text;
}

// Empty when the text is not a record this program wrote.
std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    InterfaceRecord record;
    std::string_view rest(text);
    for (const char* name : kInterfaceRecordNames) {
        std::string head = record.empty() ? "" : ";";
        head += name;
        head += '=';
        if (rest.substr(0, head.size()) != head) return std::nullopt;
        rest.remove_prefix(head.size());
        const std::string_view field = rest.substr(0, rest.find(';'));
        rest.remove_prefix(field.size());
        if (field == "-") {
            record[name] = std::nullopt;
        } else if (const auto number = ParseNumberText(field)) {
            record[name] = number;
        } else {
            return std::nullopt;
        }
    }
    if (!rest.empty()) return std::nullopt;
    return record;
}

Registry::NewValue FormatValue(std::int32_t format) {
    return NumberValue(Family::NT, kBackupFormatName, format);
}

}  // namespace

std::string ProductKey(const std::string& productName) { return "SOFTWARE\\" + productName; }

std::string FamilyKey(const std::string& productKey, Family family) {
    return productKey + (family == Family::Win9x ? "\\Platform_Windows_95_98_ME"
                                                 : "\\Platform_Windows_NT_2K_XP");
}

std::span<const StoreValue> StoreValuesOf(Family family) {
    if (family == Family::Win9x) return kWin9xStoreValues;
    return kNtStoreValues;
}

// Writing.

long WriteBackup(Registry& reg, const std::string& productKey, Family family,
                 const MachineValues& machine) {
    // The plain values, absent ones as 0 with their names listed; beside
    // them the exact texts (95/98/ME: "576" is kept as " 576" in the plain
    // value) or each interface's record (NT).
    std::vector<Registry::NewValue> plain, extras;
    std::vector<std::string> absent;
    for (const MachineValues::Value& v : machine.values) {
        plain.push_back(NumberValue(family, v.name, v.number.value_or(0)));
        if (!v.number) {
            absent.push_back(v.name);
        } else if (family == Family::Win9x) {
            extras.push_back(TextValue(v.name, v.text));
        }
    }
    plain.push_back(TextValue(kAbsentValuesName, JoinNames(absent)));
    for (const auto& [name, record] : machine.interfaces) {
        extras.push_back(TextValue(name, FormatInterfaceRecord(record)));
    }

    const std::string familyKey = FamilyKey(productKey, family);
    const std::string extrasKey =
        familyKey + (family == Family::Win9x ? kStoreTextsKey : kStoreInterfacesKey);
    long result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, {FormatValue(kBackupFormatWriting)});
    if (result == kErrorSuccess) result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, plain);
    if (result == kErrorSuccess && !extras.empty()) {
        result = reg.SaveRegValues(kHkeyLocalMachine, extrasKey, extras);
    }
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, familyKey,
                                   {FormatValue(kBackupFormatWithAbsence)});
    }
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, productKey,
                                   {NumberValue(Family::NT, kBackupFlagName, 1)},
                                   Registry::KeyMode::Create, Registry::NameForm::Unicode);
    }
    return result;
}

// Reading.

namespace {

using State = StoredBackup::State;

bool AnyFailed(const std::vector<Registry::Value>& values) {
    return std::any_of(values.begin(), values.end(), [](const auto& v) { return v.Failed(); });
}

// Adds to the changes of a restore, key by key in the order they come:
// writes `value` into `name`, or deletes `name` when there is none.
Registry::NewValue* Put(std::vector<KeyChanges>& changes, Family family, const std::string& key,
                       const std::string& name, std::optional<std::int32_t> value,
                       Registry::KeyMode mode = Registry::KeyMode::Create) {
    if (changes.empty() || changes.back().key != key) changes.push_back({key, mode, {}, {}});
    if (!value) {
        changes.back().deletes.push_back(name);
        return nullptr;
    }
    changes.back().writes.push_back(NumberValue(family, name, *value));
    return &changes.back().writes.back();
}

StoredBackup Stop(StoredBackup backup, State state, std::string reason) {
    backup.state = state;
    backup.reason = std::move(reason);
    backup.changes.clear();
    return backup;
}

StoredBackup Unreadable(StoredBackup backup, const std::string& key) {
    return Stop(std::move(backup), State::Unreadable, text::Naming(text::kReasonReadFailed, key));
}

StoredBackup Damaged(StoredBackup backup, const std::string& key, const std::string& name) {
    return Stop(std::move(backup), State::Damaged,
                text::Naming(text::kReasonStoreDamaged, key, name) + "\r\n" + text::kSetAsideHint);
}

}  // namespace

BackupFlag ReadBackupFlag(Registry& reg, const std::string& productKey) {
    std::vector<std::string> unicode{kBackupFlagName};
    unicode.insert(unicode.end(), std::begin(kLossyBackupFlagNames), std::end(kLossyBackupFlagNames));
    std::vector<Registry::Value> forms =
        reg.ReadRegValues(kHkeyLocalMachine, productKey, unicode, Registry::NameForm::Unicode);
    // The name as the running code page makes it, as earlier versions wrote it.
    forms.push_back(reg.ReadRegValues(kHkeyLocalMachine, productKey, {kBackupFlagName})[0]);
    if (std::any_of(forms.begin(), forms.end(),
                    [](const auto& v) { return v.IsDword() && v.number == 1; })) {
        return BackupFlag::Set;
    }
    // A flag that cannot be read is unknown, not absent.
    return AnyFailed(forms) ? BackupFlag::Unreadable : BackupFlag::NotSet;
}

StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family) {
    StoredBackup backup;
    const BackupFlag flag = ReadBackupFlag(reg, productKey);
    if (flag == BackupFlag::Unreadable) return Unreadable(std::move(backup), productKey);
    // The copies set aside are counted whatever the flag says.
    const Registry::KeyNames subkeys = reg.SubKeyNames(kHkeyLocalMachine, productKey);
    if (subkeys.error != kErrorSuccess && subkeys.error != kErrorFileNotFound) {
        return Unreadable(std::move(backup), productKey);
    }
    for (const std::string& name : subkeys.names) {
        if (SetAsideNumber(name, family) != 0) backup.setAside.push_back(productKey + "\\" + name);
    }
    if (flag == BackupFlag::NotSet) return backup;

    const std::string familyKey = FamilyKey(productKey, family);
    const std::span<const StoreValue> store = StoreValuesOf(family);
    std::vector<std::string> names;
    for (const StoreValue& v : store) names.push_back(v.name);
    names.push_back(kAbsentValuesName);
    names.push_back(kBackupFormatName);
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    if (AnyFailed(saved)) return Unreadable(std::move(backup), familyKey);
    // The flag may stand for the other family's store; this family has none.
    if (std::all_of(saved.begin(), saved.end(), [](const auto& v) { return v.Absent(); })) {
        return backup;
    }
    const Registry::Value& absentList = saved[store.size()];
    const Registry::Value& format = saved[store.size() + 1];
    if (format.Read() && !format.IsDword()) return Damaged(std::move(backup), familyKey, kBackupFormatName);
    if (format.IsDword() && format.number == kBackupFormatWriting) return backup;  // unfinished
    if (format.IsDword() && format.number != kBackupFormatWithAbsence) {
        return Damaged(std::move(backup), familyKey, kBackupFormatName);
    }
    const bool recordsAbsence = format.IsDword();
    if (recordsAbsence && !absentList.IsString()) {
        return Damaged(std::move(backup), familyKey, kAbsentValuesName);
    }
    const std::set<std::string> absent =
        recordsAbsence ? SplitNames(absentList.text) : std::set<std::string>();

    // Each plain value as a restore gives it back: a number, or none for a
    // value to delete. Every value the store does not list as absent must
    // hold a number of the family's form.
    std::map<std::string, std::optional<std::int32_t>> values;
    for (std::size_t i = 0; i < store.size(); ++i) {
        const StoreValue& v = store[i];
        values[v.name] = std::nullopt;
        if (absent.count(v.name)) continue;
        const NumberRead read = ToNumber(family, saved[i]);
        if (read.kind != NumberRead::Number) return Damaged(std::move(backup), familyKey, v.name);
        if (!recordsAbsence && v.zeroMeansAbsent && read.value == 0) continue;
        values[v.name] = read.value;
        backup.members.emplace_back(v.member, read.value);
    }

    // A restore gives back the values the store holds and leaves any other
    // value where the program writes alone.
    std::vector<KeyChanges> changes;
    const FamilyLocations& where = LocationsOf(family);
    // Each interface its own values; in the plain store one MTU and the
    // global window stand for all of them.
    const Registry::KeyNames interfaces = ListInterfaces(reg, family);
    if (interfaces.error != kErrorSuccess) return Unreadable(std::move(backup), kInterfacesKey);
    const std::string recordsKey = familyKey + kStoreInterfacesKey;
    std::vector<Registry::Value> records(interfaces.names.size());
    if (recordsAbsence && !interfaces.names.empty()) {
        records = reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces.names);
        if (AnyFailed(records)) return Unreadable(std::move(backup), recordsKey);
    }
    for (std::size_t i = 0; i < interfaces.names.size(); ++i) {
        std::optional<InterfaceRecord> record = InterfaceRecord(values.begin(), values.end());
        if (recordsAbsence) {
            if (records[i].Absent()) continue;  // an interface added after the backup
            record = records[i].IsString() ? ParseInterfaceRecord(records[i].text) : std::nullopt;
            if (!record) return Damaged(std::move(backup), recordsKey, interfaces.names[i]);
        }
        for (const TcpipValue& v : where.interfaceValues) {
            const auto held = record->find(v.name);
            if (held == record->end()) continue;
            Put(changes, family, InterfaceKey(interfaces.names[i]), v.name, held->second,
                Registry::KeyMode::Existing);
        }
    }

    // The source texts as they were, where the store has them (95/98/ME).
    const std::vector<std::string> plainNames(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(store.size()));
    std::vector<Registry::Value> texts(store.size());
    if (recordsAbsence && family == Family::Win9x) {
        texts = reg.ReadRegValues(kHkeyLocalMachine, familyKey + kStoreTextsKey, plainNames);
        if (AnyFailed(texts)) return Unreadable(std::move(backup), familyKey + kStoreTextsKey);
    }
    for (const TcpipKey& key : where.keys) {
        for (const TcpipValue& v : key.values) {
            const auto held = values.find(v.name);
            if (held == values.end()) continue;
            Registry::NewValue* written = Put(changes, family, key.path, v.name, held->second);
            // The text exactly as it was, when it stands for the same number.
            const auto at = std::find(plainNames.begin(), plainNames.end(), v.name) - plainNames.begin();
            const Registry::Value& was = texts[static_cast<std::size_t>(at)];
            if (written && was.IsString() && ParseNumberText(was.text) == held->second) {
                written->text = was.text;
            }
        }
    }
    backup.state = State::Complete;
    backup.changes = std::move(changes);
    return backup;
}

void LoadInto(const StoredBackup& backup, TuningSet& tuning) {
    for (const auto& [member, value] : backup.members) tuning.*member = value;
}

SetAside SetAsideDamagedBackup(Registry& reg, const std::string& productKey, Family family) {
    const StoredBackup found = ReadBackup(reg, productKey, family);
    SetAside result{found.state, found.reason, kErrorSuccess, {}};
    if (result.state != State::Damaged) return result;
    std::set<unsigned> taken;
    for (const std::string& key : found.setAside) {
        taken.insert(SetAsideNumber(key.substr(productKey.size() + 1), family));
    }
    unsigned n = 1;
    while (taken.count(n)) ++n;
    const std::string familyKey = FamilyKey(productKey, family);
    const std::string copy = familyKey + ".damaged-" + std::to_string(n);
    result.error = reg.CopyRegTree(kHkeyLocalMachine, familyKey, copy);
    if (result.error != kErrorSuccess) {
        // A copy cut short is only ours: the store stays where it was.
        reg.DeleteRegTree(kHkeyLocalMachine, copy);
        return result;
    }
    result.key = copy;
    result.error = reg.DeleteRegTree(kHkeyLocalMachine, familyKey);
    return result;
}

SetAsideCopy ReadSetAsideCopy(Registry& reg, const std::string& key, Family family) {
    SetAsideCopy copy{key, family, kErrorSuccess, {}};
    auto note = [&](long error) {
        if (copy.error == kErrorSuccess) copy.error = error;
    };
    // Depth first: a key's values, then each subkey's.
    auto read = [&](auto& self, const std::string& subkey) -> void {
        const std::string path = subkey.empty() ? key : key + "\\" + subkey;
        const Registry::KeyNames names = reg.ValueNames(kHkeyLocalMachine, path);
        note(names.error);
        const std::vector<Registry::Value> values =
            reg.ReadRegValues(kHkeyLocalMachine, path, names.names);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!values[i].Read()) note(values[i].error);
            copy.values.push_back({subkey, names.names[i], values[i]});
        }
        const Registry::KeyNames subkeys = reg.SubKeyNames(kHkeyLocalMachine, path);
        note(subkeys.error);
        for (const std::string& name : subkeys.names) {
            self(self, subkey.empty() ? name : subkey + "\\" + name);
        }
    };
    read(read, {});
    return copy;
}

}  // namespace vornix
