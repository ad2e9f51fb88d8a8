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

// The store's plain values of a family, each name once: those only its
// interfaces have come first (MTU: the last interface's stands for all), then
// the values its TCP/IP keys hold. In the plain store of earlier versions 0
// is no valid MTU, receive window or TTL.
std::vector<StoreValue> PlainValues(Family family) {
    const FamilyLocations& where = LocationsOf(family);
    std::vector<StoreValue> values;
    auto add = [&](const TcpipValue& v) {
        const std::string_view name = v.name;
        if (std::any_of(values.begin(), values.end(), [&](const auto& s) { return name == s.name; })) return;
        const bool zeroMeansAbsent =
            family == Family::NT && (name == "MTU" || name == "TcpWindowSize" || name == "DefaultTTL");
        values.push_back({v.name, v.member, zeroMeansAbsent});
    };
    for (const TcpipValue& v : where.interfaceValues) add(v);
    for (const TcpipKey& key : where.keys) {
        for (const TcpipValue& v : key.values) add(v);
    }
    return values;
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

// An interface's record: its values in the family's order, such as
// "MTU=1400;TcpWindowSize=-" ("-": the value did not exist).
std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    std::string text;
    for (const TcpipValue& v : LocationsOf(Family::NT).interfaceValues) {
        const auto at = record.find(v.name);
        const bool present = at != record.end() && at->second;
        if (!text.empty()) text += ';';
        text += v.name;
        text += '=';
        text += present ? std::to_string(*at->second) : "-";
    }
    return text;
}

// Empty when the text is not a record this program wrote.
std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    InterfaceRecord record;
    std::string_view rest(text);
    for (const TcpipValue& v : LocationsOf(Family::NT).interfaceValues) {
        std::string head = record.empty() ? "" : ";";
        head += v.name;
        head += '=';
        if (rest.substr(0, head.size()) != head) return std::nullopt;
        rest.remove_prefix(head.size());
        const std::string_view field = rest.substr(0, rest.find(';'));
        rest.remove_prefix(field.size());
        if (field == "-") {
            record[v.name] = std::nullopt;
        } else if (const auto number = ParseNumberText(field)) {
            record[v.name] = number;
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

std::string FamilyKey(const std::string& productKey, Family family) {
    return productKey + (family == Family::Win9x ? "\\Platform_Windows_95_98_ME"
                                                 : "\\Platform_Windows_NT_2K_XP");
}

std::span<const StoreValue> StoreValuesOf(Family family) {
    static const std::vector<StoreValue> win9x = PlainValues(Family::Win9x);
    static const std::vector<StoreValue> nt = PlainValues(Family::NT);
    return family == Family::Win9x ? win9x : nt;
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

StoredBackup Stop(State state, std::string reason) { return {state, std::move(reason), {}}; }

StoredBackup Unreadable(const std::string& key) {
    return Stop(State::Unreadable, text::Naming(text::kReasonReadFailed, key));
}

StoredBackup Damaged(const std::string& key, const std::string& name) {
    return Stop(State::Damaged,
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

StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family,
                        TuningSet& tuning) {
    switch (ReadBackupFlag(reg, productKey)) {
        case BackupFlag::Unreadable: return Unreadable(productKey);
        case BackupFlag::NotSet: return {};
        case BackupFlag::Set: break;
    }

    const std::string familyKey = FamilyKey(productKey, family);
    const std::span<const StoreValue> store = StoreValuesOf(family);
    std::vector<std::string> names;
    for (const StoreValue& v : store) names.push_back(v.name);
    names.push_back(kAbsentValuesName);
    names.push_back(kBackupFormatName);
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    if (AnyFailed(saved)) return Unreadable(familyKey);
    // The flag may stand for the other family's store; this family has none.
    if (std::all_of(saved.begin(), saved.end(), [](const auto& v) { return v.Absent(); })) {
        return {};
    }
    const Registry::Value& absentList = saved[store.size()];
    const Registry::Value& format = saved[store.size() + 1];
    if (format.Read() && !format.IsDword()) return Damaged(familyKey, kBackupFormatName);
    if (format.IsDword() && format.number == kBackupFormatWriting) return {};  // unfinished
    if (format.IsDword() && format.number != kBackupFormatWithAbsence) {
        return Damaged(familyKey, kBackupFormatName);
    }
    const bool recordsAbsence = format.IsDword();
    if (recordsAbsence && !absentList.IsString()) return Damaged(familyKey, kAbsentValuesName);
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
        if (read.kind != NumberRead::Number) return Damaged(familyKey, v.name);
        if (!recordsAbsence && v.zeroMeansAbsent && read.value == 0) continue;
        values[v.name] = read.value;
        tuning.*v.member = read.value;
    }

    std::vector<KeyChanges> changes;
    const FamilyLocations& where = LocationsOf(family);
    // Each interface its own values; in the plain store one MTU and the
    // global window stand for all of them.
    const Registry::KeyNames interfaces = ListInterfaces(reg, family);
    if (interfaces.error != kErrorSuccess) return Unreadable(kInterfacesKey);
    const std::string recordsKey = familyKey + kStoreInterfacesKey;
    std::vector<Registry::Value> records(interfaces.names.size());
    if (recordsAbsence && !interfaces.names.empty()) {
        records = reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces.names);
        if (AnyFailed(records)) return Unreadable(recordsKey);
    }
    for (std::size_t i = 0; i < interfaces.names.size(); ++i) {
        std::optional<InterfaceRecord> record = InterfaceRecord(values.begin(), values.end());
        if (recordsAbsence) {
            if (records[i].Absent()) continue;  // an interface added after the backup
            record = records[i].IsString() ? ParseInterfaceRecord(records[i].text) : std::nullopt;
            if (!record) return Damaged(recordsKey, interfaces.names[i]);
        }
        for (const TcpipValue& v : where.interfaceValues) {
            Put(changes, family, InterfaceKey(interfaces.names[i]), v.name, (*record)[v.name],
                Registry::KeyMode::Existing);
        }
    }

    // The source texts as they were, where the store has them (95/98/ME).
    std::vector<Registry::Value> texts(store.size());
    if (recordsAbsence && family == Family::Win9x) {
        texts = reg.ReadRegValues(kHkeyLocalMachine, familyKey + kStoreTextsKey,
                                  std::vector<std::string>(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(store.size())));
        if (AnyFailed(texts)) return Unreadable(familyKey + kStoreTextsKey);
    }
    for (const TcpipKey& key : where.keys) {
        for (const TcpipValue& v : key.values) {
            Registry::NewValue* written = Put(changes, family, key.path, v.name, values[v.name]);
            // The text exactly as it was, when it stands for the same number.
            const auto at = std::find(names.begin(), names.end(), v.name) - names.begin();
            const Registry::Value& was = texts[static_cast<std::size_t>(at)];
            if (written && was.IsString() && ParseNumberText(was.text) == values[v.name]) {
                written->text = was.text;
            }
        }
    }
    return {State::Complete, {}, std::move(changes)};
}

SetAside SetAsideDamagedBackup(Registry& reg, const std::string& productKey, Family family) {
    TuningSet scratch;
    SetAside result{ReadBackup(reg, productKey, family, scratch).state, kErrorSuccess, {}};
    if (result.state != State::Damaged) return result;
    const std::string familyKey = FamilyKey(productKey, family);
    const Registry::KeyNames taken = reg.SubKeyNames(kHkeyLocalMachine, productKey);
    if (taken.error != kErrorSuccess) {
        result.error = taken.error;
        return result;
    }
    const std::string base = familyKey.substr(productKey.size() + 1) + ".damaged-";
    for (int n = 1;; ++n) {
        const std::string name = base + std::to_string(n);
        const bool free = std::none_of(taken.names.begin(), taken.names.end(), [&](const auto& t) {
            // Key names compare without regard to case; this one is ASCII.
            auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
            return std::equal(t.begin(), t.end(), name.begin(), name.end(),
                              [&](char a, char b) { return lower(a) == lower(b); });
        });
        if (free) {
            result.key = productKey + "\\" + name;
            break;
        }
    }
    result.error = reg.CopyRegTree(kHkeyLocalMachine, familyKey, result.key);
    if (result.error != kErrorSuccess) {
        // A copy cut short is only ours: the store stays where it was.
        reg.DeleteRegTree(kHkeyLocalMachine, result.key);
        result.key.clear();
        return result;
    }
    result.error = reg.DeleteRegTree(kHkeyLocalMachine, familyKey);
    return result;
}

}  // namespace vornix
