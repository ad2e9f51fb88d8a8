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
const std::vector<std::string> kWin9xFrozen = {"MaxMTU",        "MaxMSS",   "DefaultRcvWindow",
                                               "DefaultTTL",    "PMTUBlackHoleDetect",
                                               "PMTUDiscovery", "SackOpts", "Tcp1323Opts"};
const std::vector<std::string> kNtFrozen = {"MTU",      "TcpWindowSize", "DefaultTTL", "EnablePMTUBHDetect",
                                            "EnablePMTUDiscovery", "SackOpts", "Tcp1323Opts"};
const std::vector<std::string> kFrozenRecordNames = {"MTU", "TcpWindowSize"};
// In the NT family's plain store a 0 here can only mean the value did not
// exist: 0 is no valid MTU, receive window or TTL.
const std::vector<std::string> kZeroMeansAbsent = {"MTU", "TcpWindowSize", "DefaultTTL"};

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The row of a plain value of the store, by its name; none for a name this
// program does not write.
const TcpipValue* StoredRow(Family family, const std::string& name) {
    for (const Located& v : LocationsOf(family).values) {
        if (name == v.name) return v.value;
    }
    return nullptr;
}

std::string Lower(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// "<family key name>.damaged-"
std::string SetAsidePrefix(Family family) {
    return FamilyKey({}, family).substr(1) + ".damaged-";
}

// Fields joined by a separator, and split again in order, empty ones too.
std::string Join(const std::vector<std::string>& fields, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) text += (i ? separator : "") + fields[i];
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    fields.push_back(text.substr(start));
    return fields;
}

// A list of names, such as "MaxMTU,DefaultTTL".
std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names = Split(list, ',');
    std::erase(names, std::string());
    return names;
}

// An interface's record: its values in order, such as
// "MTU=1400;TcpWindowSize=-" ("-": the value did not exist).
std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    std::vector<std::string> fields;
    for (const auto& [name, number] : record) fields.push_back(name + "=" + (number ? std::to_string(*number) : "-"));
    return Join(fields, ";");
}

// Empty when the text is not a record this program wrote.
std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    InterfaceRecord record;
    for (const std::string& field : Split(text, ';')) {
        const std::size_t equals = field.find('=');
        if (equals == 0 || equals == std::string::npos) return std::nullopt;
        const std::string number = field.substr(equals + 1);
        const auto parsed = ParseNumberText(number);
        if (number != "-" && !parsed) return std::nullopt;
        record.emplace_back(field.substr(0, equals), parsed);
    }
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
    backup.machine.interfaces.clear();
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
    plain.push_back(TextValue(kStoredValuesName, Join(stored, ",")));
    plain.push_back(TextValue(kAbsentValuesName, Join(absent, ",")));
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

StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family) {
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
    if (format.Read()) {  // none: the plain store of earlier versions
        if (!format.IsDword()) return Damaged(std::move(backup), familyKey, kBackupFormatName);
        if (format.number == kFormatWriting) return backup;  // unfinished
        if (format.number != kFormatWithAbsence && format.number != kFormatNamed) {
            return Damaged(std::move(backup), familyKey, kBackupFormatName);
        }
        if (!absentList.IsString()) return Damaged(std::move(backup), familyKey, kAbsentValuesName);
        backup.format = format.number;
    }
    const bool named = backup.format == kFormatNamed;
    if (named && !storedList.IsString()) return Damaged(std::move(backup), familyKey, kStoredValuesName);
    const std::vector<std::string> names =
        named ? SplitNames(storedList.text) : family == Family::Win9x ? kWin9xFrozen : kNtFrozen;
    for (const std::string& name : names) {
        if (named && !StoredRow(family, name)) return Damaged(std::move(backup), familyKey, name);
    }
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    if (AnyFailed(saved)) return Unreadable(std::move(backup), familyKey);
    // The flag may stand for the other family's store; this family has none.
    auto absentAll = [](const auto& values) {
        return std::all_of(values.begin(), values.end(), [](const auto& v) { return v.Absent(); });
    };
    if (absentAll(own) && absentAll(saved)) return backup;
    // 95/98/ME from format 2 on: the source texts as they were.
    const std::string textsKey = familyKey + kStoreTextsKey;
    const std::vector<Registry::Value> texts = family == Family::Win9x && backup.format != 0
                                                   ? reg.ReadRegValues(kHkeyLocalMachine, textsKey, names)
                                                   : std::vector<Registry::Value>(names.size());
    if (AnyFailed(texts)) return Unreadable(std::move(backup), textsKey);

    // Each a number of the family's form, or none for a value the store
    // lists as absent; with its text where that stands for the number.
    const std::vector<std::string> absent = SplitNames(absentList.text);
    for (std::size_t i = 0; i < names.size(); ++i) {
        MachineValue value{names[i], std::nullopt, {}};
        if (backup.format == 0 || !Contains(absent, names[i])) {
            const NumberRead read = ToNumber(family, saved[i]);
            if (read.kind != NumberRead::Number) return Damaged(std::move(backup), familyKey, names[i]);
            const bool zeroMeansAbsent = backup.format == 0 && family == Family::NT && Contains(kZeroMeansAbsent, names[i]);
            if (!(zeroMeansAbsent && read.value == 0)) value.number = read.value;
        }
        if (value.number && texts[i].IsString() && ParseNumberText(texts[i].text) == value.number) {
            value.text = texts[i].text;
        }
        backup.machine.values.push_back(std::move(value));
    }
    backup.state = State::Complete;
    return backup;
}

void ReadRecords(Registry& reg, const std::string& productKey, Family family, StoredBackup& backup) {
    if (backup.state != State::Complete || LocationsOf(family).interfaceValues.empty()) return;
    const Registry::KeyNames interfaces = ListInterfaces(reg, family);
    if (interfaces.error != kErrorSuccess) {
        backup = Unreadable(std::move(backup), kInterfacesKey);
        return;
    }
    if (backup.format == 0) {
        // The plain values stand for every interface.
        for (const std::string& itf : interfaces.names) {
            for (const MachineValue& v : backup.machine.values) {
                if (Contains(kFrozenRecordNames, v.name)) backup.machine.interfaces[itf].emplace_back(v.name, v.number);
            }
        }
        return;
    }
    // Format 2 holds the values of its list, format 3 values this program
    // writes into interfaces.
    const std::string recordsKey = FamilyKey(productKey, family) + kStoreInterfacesKey;
    const std::vector<Registry::Value> records =
        interfaces.names.empty() ? std::vector<Registry::Value>()
                                 : reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces.names);
    if (AnyFailed(records)) {
        backup = Unreadable(std::move(backup), recordsKey);
        return;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].Absent()) continue;  // added after the backup
        auto record = records[i].IsString() ? ParseInterfaceRecord(records[i].text) : std::nullopt;
        std::vector<std::string> held;
        for (const auto& [name, number] : record.value_or(InterfaceRecord{})) held.push_back(name);
        const bool known = backup.format == kFormatNamed
                               ? std::all_of(held.begin(), held.end(),
                                             [&](const auto& name) { return FindValue(family, true, name); })
                               : held == kFrozenRecordNames;
        if (!record || !known) {
            backup = Damaged(std::move(backup), recordsKey, interfaces.names[i]);
            return;
        }
        backup.machine.interfaces.emplace(interfaces.names[i], std::move(*record));
    }
}

void LoadInto(const StoredBackup& backup, Family family, TuningSet& tuning) {
    for (const MachineValue& v : backup.machine.values) {
        const TcpipValue* row = StoredRow(family, v.name);
        if (v.number && row) tuning.*row->member = *v.number;
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
    // A record a restore cannot take damages the store as a value does.
    StoredBackup found = ReadBackup(reg, productKey, family);
    ReadRecords(reg, productKey, family, found);
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
    return {key, family, reg.ReadRegTree(kHkeyLocalMachine, key)};
}

}  // namespace vornix
