#include "engine/BackupStore.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "engine/NumberText.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"

namespace vornix {
namespace {

constexpr const char* kStoreInterfacesKey = "\\Interfaces";
constexpr const char* kStoreTextsKey = "\\Texts";
constexpr const char* kAbsentValuesName = "AbsentValues";
constexpr const char* kStoredValuesName = "StoredValues";
constexpr const char* kBackupFormatName = "BackupFormat";
// The formats: see BackupStore.h. The last marks a store that is being
// moved aside, so that what a delete cut short leaves reads as damaged.
constexpr std::int32_t kFormatWriting = 1;
constexpr std::int32_t kFormatWithAbsence = 2;
constexpr std::int32_t kFormatNamed = 3;
constexpr std::int32_t kFormatBeingSetAside = 0;

// The plain values of each family key, and the values of an interface
// record, as the formats before 3 lay them out. They are the lists those
// formats were written with, kept only to read them: never change them.
struct FrozenValue {
    const char* name;
    TuningMember member;
    // In the plain store a 0 here can only mean the value did not exist:
    // 0 is no valid MTU, receive window or TTL.
    bool zeroMeansAbsent = false;
};
constexpr FrozenValue kWin9xFrozen[] = {
    {"MaxMTU", &TuningSet::lngMTU},
    {"MaxMSS", &TuningSet::lngMSS},
    {"DefaultRcvWindow", &TuningSet::lngRWIN},
    {"DefaultTTL", &TuningSet::lngTTL},
    {"PMTUBlackHoleDetect", &TuningSet::lngPMTUBHDetect},
    {"PMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
constexpr FrozenValue kNtFrozen[] = {
    {"MTU", &TuningSet::lngMTU, true},
    {"TcpWindowSize", &TuningSet::lngRWIN, true},
    {"DefaultTTL", &TuningSet::lngTTL, true},
    {"EnablePMTUBHDetect", &TuningSet::lngPMTUBHDetect},
    {"EnablePMTUDiscovery", &TuningSet::lngPMTUDiscovery},
    {"SackOpts", &TuningSet::lngSackOpts},
    {"Tcp1323Opts", &TuningSet::lngTcp1323Opts},
};
const std::vector<std::string> kFrozenRecordNames = {"MTU", "TcpWindowSize"};

std::span<const FrozenValue> FrozenValuesOf(Family family) {
    if (family == Family::Win9x) return kWin9xFrozen;
    return kNtFrozen;
}

std::string Lower(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// "<family key name>.damaged-"
std::string SetAsidePrefix(Family family) {
    return FamilyKey({}, family).substr(1) + ".damaged-";
}

// Names joined by "," and split again, in order.
std::string JoinNames(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ",") + name;
    return list;
}

std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (end > start) names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// An interface's record: its values in order, such as
// "MTU=1400;TcpWindowSize=-" ("-": the value did not exist).
std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    std::string text;
    for (const auto& [name, number] : record) {
        text += (text.empty() ? "" : ";") + name + "=" + (number ? std::to_string(*number) : "-");
    }
    return text;
}

// Empty when the text is not a record this program wrote.
std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    InterfaceRecord record;
    std::size_t start = 0;
    do {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string field = text.substr(start, end - start);
        const std::size_t equals = field.find('=');
        if (equals == 0 || equals == std::string::npos) return std::nullopt;
        const std::string number = field.substr(equals + 1);
        const auto parsed = ParseNumberText(number);
        if (number != "-" && !parsed) return std::nullopt;
        record.emplace_back(field.substr(0, equals), parsed);
        start = end + 1;
    } while (start <= text.size());
    return record;
}

Registry::NewValue FormatValue(std::int32_t format) {
    return NumberValue(Family::NT, kBackupFormatName, format);
}

using State = StoredBackup::State;

bool AnyFailed(const std::vector<Registry::Value>& values) {
    return std::any_of(values.begin(), values.end(), [](const auto& v) { return v.Failed(); });
}

StoredBackup Stop(StoredBackup backup, State state, std::string reason) {
    backup.state = state;
    backup.reason = std::move(reason);
    backup.interfaces.clear();
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

std::string ProductKey(const std::string& productName) { return "SOFTWARE\\" + productName; }

std::string FamilyKey(const std::string& productKey, Family family) {
    return productKey + (family == Family::Win9x ? "\\Platform_Windows_95_98_ME"
                                                 : "\\Platform_Windows_NT_2K_XP");
}

// Writing.

long WriteBackup(Registry& reg, const std::string& productKey, Family family,
                 const MachineValues& machine) {
    // The plain values, absent ones as 0 with their names listed; beside
    // them the exact texts (95/98/ME: "576" is kept as " 576" in the plain
    // value) or each interface's record (NT).
    std::vector<Registry::NewValue> plain, extras;
    std::vector<std::string> stored, absent;
    for (const MachineValue& v : machine.values) {
        plain.push_back(NumberValue(family, v.name, v.number.value_or(0)));
        stored.push_back(v.name);
        if (!v.number) {
            absent.push_back(v.name);
        } else if (family == Family::Win9x) {
            extras.push_back(TextValue(v.name, v.text));
        }
    }
    plain.push_back(TextValue(kStoredValuesName, JoinNames(stored)));
    plain.push_back(TextValue(kAbsentValuesName, JoinNames(absent)));
    for (const auto& [name, record] : machine.interfaces) {
        extras.push_back(TextValue(name, FormatInterfaceRecord(record)));
    }

    const std::string familyKey = FamilyKey(productKey, family);
    const std::string extrasKey =
        familyKey + (family == Family::Win9x ? kStoreTextsKey : kStoreInterfacesKey);
    long result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, {FormatValue(kFormatWriting)});
    if (result == kErrorSuccess) result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, plain);
    if (result == kErrorSuccess && !extras.empty()) {
        result = reg.SaveRegValues(kHkeyLocalMachine, extrasKey, extras);
    }
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, familyKey, {FormatValue(kFormatNamed)});
    }
    if (result == kErrorSuccess) {
        result = reg.SaveRegValues(kHkeyLocalMachine, productKey,
                                   {NumberValue(Family::NT, kBackupFlagName, 1)},
                                   Registry::KeyMode::Create, Registry::NameForm::Unicode);
    }
    return result;
}

// Reading.

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

StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family,
                        const Registry::KeyNames& interfaces) {
    StoredBackup backup;
    const BackupFlag flag = ReadBackupFlag(reg, productKey);
    if (flag == BackupFlag::Unreadable) return Unreadable(std::move(backup), productKey);
    if (flag == BackupFlag::NotSet) return backup;

    // The family key's own values, then its plain values: those a format-3
    // store names, each one this program knows where to put back, and
    // before it those of the format's own list.
    const std::string familyKey = FamilyKey(productKey, family);
    const std::vector<Registry::Value> own =
        reg.ReadRegValues(kHkeyLocalMachine, familyKey, {kBackupFormatName, kAbsentValuesName, kStoredValuesName});
    if (AnyFailed(own)) return Unreadable(std::move(backup), familyKey);
    const Registry::Value &format = own[0], &absentList = own[1], &storedList = own[2];
    const bool plainStore = !format.Read();  // no "BackupFormat": the plain store of earlier versions
    if (!plainStore) {
        if (!format.IsDword()) return Damaged(std::move(backup), familyKey, kBackupFormatName);
        if (format.number == kFormatWriting) return backup;  // unfinished
        if (format.number != kFormatWithAbsence && format.number != kFormatNamed) {
            return Damaged(std::move(backup), familyKey, kBackupFormatName);
        }
        if (!absentList.IsString()) return Damaged(std::move(backup), familyKey, kAbsentValuesName);
    }
    const bool named = !plainStore && format.number == kFormatNamed;
    std::vector<FrozenValue> plain;
    if (named && !storedList.IsString()) return Damaged(std::move(backup), familyKey, kStoredValuesName);
    for (const std::string& name : named ? SplitNames(storedList.text) : std::vector<std::string>()) {
        const auto& known = LocationsOf(family).values;
        const auto row = std::find_if(known.begin(), known.end(), [&](const Located& v) { return name == v.name; });
        if (row == known.end()) return Damaged(std::move(backup), familyKey, name);
        plain.push_back({row->name, row->value->member});
    }
    if (!named) plain.assign(FrozenValuesOf(family).begin(), FrozenValuesOf(family).end());
    std::vector<std::string> names;
    for (const FrozenValue& v : plain) names.push_back(v.name);
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    if (AnyFailed(saved)) return Unreadable(std::move(backup), familyKey);
    // The flag may stand for the other family's store; this family has none.
    auto absentAll = [](const auto& values) {
        return std::all_of(values.begin(), values.end(), [](const auto& v) { return v.Absent(); });
    };
    if (absentAll(own) && absentAll(saved)) return backup;

    // Each a number of the family's form, or none for a value the store
    // lists as absent.
    const std::vector<std::string> absent = SplitNames(absentList.text);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        StoredBackup::Value value{plain[i].name, plain[i].member, std::nullopt, {}};
        if (plainStore || std::find(absent.begin(), absent.end(), names[i]) == absent.end()) {
            const NumberRead read = ToNumber(family, saved[i]);
            if (read.kind != NumberRead::Number) return Damaged(std::move(backup), familyKey, names[i]);
            if (!(plainStore && plain[i].zeroMeansAbsent && read.value == 0)) value.number = read.value;
        }
        backup.values.push_back(std::move(value));
    }
    const bool perInterface = !LocationsOf(family).interfaceValues.empty();
    if (perInterface && interfaces.error != kErrorSuccess) return Unreadable(std::move(backup), kInterfacesKey);
    backup.state = State::Complete;
    if (plainStore) return backup;
    backup.perInterface = true;

    // The source texts as they were, where they stand for the number (95/98/ME).
    if (family == Family::Win9x) {
        const std::string textsKey = familyKey + kStoreTextsKey;
        const std::vector<Registry::Value> texts = reg.ReadRegValues(kHkeyLocalMachine, textsKey, names);
        if (AnyFailed(texts)) return Unreadable(std::move(backup), textsKey);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            StoredBackup::Value& v = backup.values[i];
            if (v.number && texts[i].IsString() && ParseNumberText(texts[i].text) == v.number) {
                v.text = texts[i].text;
            }
        }
    }

    // Each listed interface's own record (an interface added after the
    // backup has none): in format 2 its list's values, in format 3 values
    // this program writes into interfaces.
    const std::string recordsKey = familyKey + kStoreInterfacesKey;
    const std::vector<Registry::Value> records =
        !perInterface || interfaces.names.empty()
            ? std::vector<Registry::Value>()
            : reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces.names);
    if (AnyFailed(records)) return Unreadable(std::move(backup), recordsKey);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].Absent()) continue;
        auto record = records[i].IsString() ? ParseInterfaceRecord(records[i].text) : std::nullopt;
        std::vector<std::string> held;
        for (const auto& [name, number] : record.value_or(InterfaceRecord{})) held.push_back(name);
        const bool known = named ? std::all_of(held.begin(), held.end(),
                                               [&](const auto& name) { return FindValue(family, true, name); })
                                 : held == kFrozenRecordNames;
        if (!record || !known) {
            return Damaged(std::move(backup), recordsKey, interfaces.names[i]);
        }
        backup.interfaces.emplace(interfaces.names[i], std::move(*record));
    }
    return backup;
}

void LoadInto(const StoredBackup& backup, TuningSet& tuning) {
    for (const StoredBackup::Value& v : backup.values) {
        if (v.number) tuning.*v.member = *v.number;
    }
}

Registry::KeyNames ListSetAside(Registry& reg, const std::string& productKey, Family family) {
    const Registry::KeyNames subkeys = reg.SubKeyNames(kHkeyLocalMachine, productKey);
    Registry::KeyNames copies{subkeys.error == kErrorFileNotFound ? kErrorSuccess : subkeys.error, {}};
    const std::string prefix = Lower(SetAsidePrefix(family));
    for (const std::string& name : subkeys.names) {
        if (Lower(name).rfind(prefix, 0) == 0) copies.names.push_back(productKey + "\\" + name);
    }
    return copies;
}

SetAside SetAsideDamagedBackup(Registry& reg, const std::string& productKey, Family family) {
    const StoredBackup found = ReadBackup(reg, productKey, family, ListInterfaces(reg, family));
    SetAside result{found.state, found.reason, kErrorSuccess, true, {}};
    if (result.state != State::Damaged) return result;
    // The first N whose name no key takes: a copy never goes into another.
    const Registry::KeyNames copies = ListSetAside(reg, productKey, family);
    if (copies.error != kErrorSuccess) {
        result.error = copies.error;
        result.copiesListed = false;
        return result;
    }
    std::set<std::string> taken;
    for (const std::string& key : copies.names) taken.insert(Lower(key));
    const std::string familyKey = FamilyKey(productKey, family);
    unsigned n = 1;
    while (taken.count(Lower(familyKey + ".damaged-" + std::to_string(n)))) ++n;
    const std::string copy = familyKey + ".damaged-" + std::to_string(n);
    result.error = reg.CopyRegTree(kHkeyLocalMachine, familyKey, copy);
    if (result.error != kErrorSuccess) {
        // A copy cut short is only ours: the store stays where it was.
        reg.DeleteRegTree(kHkeyLocalMachine, copy);
        return result;
    }
    result.key = copy;
    // Marked first, so that what a delete cut short leaves reads as
    // damaged: never as a backup that a restore would take for whole.
    result.error = reg.SaveRegValues(kHkeyLocalMachine, familyKey, {FormatValue(kFormatBeingSetAside)},
                                     Registry::KeyMode::Existing);
    if (result.error == kErrorSuccess) result.error = reg.DeleteRegTree(kHkeyLocalMachine, familyKey);
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
