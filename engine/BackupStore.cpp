#include "engine/BackupStore.h"

#include <algorithm>

#include "engine/NumberText.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {

std::string JoinNames(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) {
        if (!list.empty()) list += ",";
        list += name;
    }
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

namespace {

std::string Field(const std::optional<std::int32_t>& value) {
    return value ? std::to_string(*value) : "-";
}

// "-" for absent, else a number; false for anything else.
bool ParseField(std::string_view text, std::optional<std::int32_t>& value) {
    if (text == "-") {
        value.reset();
        return true;
    }
    value = ParseNumberText(text);
    return value.has_value();
}

}  // namespace

std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    return "MTU=" + Field(record.mtu) + ";TcpWindowSize=" + Field(record.tcpWindowSize);
}

std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    static constexpr std::string_view kMtu = "MTU=";
    static constexpr std::string_view kWindow = ";TcpWindowSize=";
    const std::size_t window = text.find(kWindow);
    if (text.rfind(kMtu, 0) != 0 || window == std::string::npos) return std::nullopt;
    InterfaceRecord record;
    const std::string_view all(text);
    if (!ParseField(all.substr(kMtu.size(), window - kMtu.size()), record.mtu) ||
        !ParseField(all.substr(window + kWindow.size()), record.tcpWindowSize)) {
        return std::nullopt;
    }
    return record;
}

namespace {

using State = StoredBackup::State;

// Builds the changes of a restore key by key, in the order they are added.
class ChangeList {
public:
    explicit ChangeList(Family family) : family_(family) {}
    // Writes `value` into `name`, or deletes `name` when there is none.
    void Put(const std::string& key, const std::string& name, std::optional<std::int32_t> value,
             Registry::KeyMode mode = Registry::KeyMode::Create) {
        if (changes_.empty() || changes_.back().key != key) changes_.push_back({key, mode, {}, {}});
        if (value) {
            changes_.back().writes.push_back(NumberValue(family_, name, *value));
        } else {
            changes_.back().deletes.push_back(name);
        }
    }
    // Writes the last value put as `text` instead of its number text.
    void KeepText(const std::string& text) { changes_.back().writes.back().text = text; }
    std::vector<KeyChanges> Take() { return std::move(changes_); }

private:
    Family family_;
    std::vector<KeyChanges> changes_;
};

StoredBackup Stop(State state, std::string reason) { return {state, std::move(reason), {}}; }

StoredBackup Unreadable(const std::string& key) {
    return Stop(State::Unreadable, text::Naming(text::kReasonReadFailed, key));
}

StoredBackup Damaged(const std::string& key, const std::string& name) {
    return Stop(State::Damaged, text::Naming(text::kReasonStoreDamaged, key, name));
}

bool AnyFailed(const std::vector<Registry::Value>& values) {
    return std::any_of(values.begin(), values.end(), [](const auto& v) { return v.Failed(); });
}

std::vector<std::string> PlainNames(Family family) {
    std::vector<std::string> names;
    if (family == Family::Win9x) {
        for (const auto& v : kWin9xValues) names.push_back(v.name);
    } else {
        names.push_back("MTU");
        for (const auto& v : kNtParameterValues) names.push_back(v.name);
    }
    return names;
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

long WriteBackupFlag(Registry& reg, const std::string& productKey) {
    return reg.SaveRegValues(kHkeyLocalMachine, productKey,
                             {NumberValue(Family::NT, kBackupFlagName, 1)},
                             Registry::KeyMode::Create, Registry::NameForm::Unicode);
}

StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family,
                        TuningSet& tuning) {
    switch (ReadBackupFlag(reg, productKey)) {
        case BackupFlag::Unreadable: return Unreadable(productKey);
        case BackupFlag::NotSet: return {};
        case BackupFlag::Set: break;
    }

    const std::string familyKey =
        productKey + (family == Family::Win9x ? kWin9xStoreKey : kNtStoreKey);
    std::vector<std::string> names = PlainNames(family);
    const std::size_t plain = names.size();
    names.push_back(kAbsentValuesName);
    names.push_back(kBackupFormatName);
    const std::vector<Registry::Value> saved = reg.ReadRegValues(kHkeyLocalMachine, familyKey, names);
    if (AnyFailed(saved)) return Unreadable(familyKey);
    // The flag may stand for the other family's store; this family has none.
    if (std::all_of(saved.begin(), saved.end(), [](const auto& v) { return v.Absent(); })) {
        return {};
    }
    const Registry::Value& format = saved[plain + 1];
    if (format.Read() && !format.IsDword()) return Damaged(familyKey, kBackupFormatName);
    if (format.IsDword() && format.number == kBackupFormatWriting) return {};  // unfinished
    if (format.IsDword() && format.number != kBackupFormatWithAbsence) {
        return Damaged(familyKey, kBackupFormatName);
    }
    const bool recordsAbsence = format.IsDword();
    if (recordsAbsence && !saved[plain].IsString()) return Damaged(familyKey, kAbsentValuesName);
    const std::set<std::string> absent =
        recordsAbsence ? SplitNames(saved[plain].text) : std::set<std::string>();

    ChangeList changes(family);
    if (family == Family::Win9x) {
        // The source texts as they were, where the store has them.
        std::vector<Registry::Value> texts(plain);
        if (recordsAbsence) {
            texts = reg.ReadRegValues(kHkeyLocalMachine, familyKey + kStoreTextsKey,
                                      std::vector<std::string>(names.begin(),
                                                               names.begin() + static_cast<std::ptrdiff_t>(plain)));
            if (AnyFailed(texts)) return Unreadable(familyKey + kStoreTextsKey);
        }
        for (std::size_t i = 0; i < plain; ++i) {
            const TcpipValue& v = kWin9xValues[i];
            if (absent.count(v.name)) {
                changes.Put(v.key, v.name, std::nullopt);
                continue;
            }
            const NumberRead read = ToNumber(family, saved[i]);
            if (read.kind != NumberRead::Number) return Damaged(familyKey, v.name);
            tuning.*v.member = read.value;
            changes.Put(v.key, v.name, read.value);
            // The text exactly as it was, when it stands for the same number.
            if (texts[i].IsString() && ParseNumberText(texts[i].text) == read.value) {
                changes.KeepText(texts[i].text);
            }
        }
        return {State::Complete, {}, changes.Take()};
    }

    // NT family. Every value the store does not list as absent must be a
    // DWORD. In the plain store of earlier versions, 0 for MTU, TcpWindowSize
    // or DefaultTTL can only mean the value did not exist: 0 is no valid
    // setting for any of them, so those are deleted rather than written.
    std::vector<std::optional<std::int32_t>> values(plain);
    for (std::size_t i = 0; i < plain; ++i) {
        if (absent.count(names[i])) continue;
        if (!saved[i].IsDword()) return Damaged(familyKey, names[i]);
        const bool zeroMeansAbsent =
            names[i] == "MTU" || names[i] == "TcpWindowSize" || names[i] == "DefaultTTL";
        if (!recordsAbsence && zeroMeansAbsent && saved[i].number == 0) continue;
        values[i] = saved[i].number;
        tuning.*(i == 0 ? &TuningSet::lngMTU : kNtParameterValues[i - 1].member) = saved[i].number;
    }

    const Registry::KeyNames interfaces = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
    if (interfaces.error != kErrorSuccess && interfaces.error != kErrorFileNotFound) {
        return Unreadable(kInterfacesKey);
    }
    const std::string recordsKey = familyKey + kStoreInterfacesKey;
    std::vector<Registry::Value> records(interfaces.names.size());
    if (recordsAbsence) {
        records = reg.ReadRegValues(kHkeyLocalMachine, recordsKey, interfaces.names);
        if (AnyFailed(records)) return Unreadable(recordsKey);
    }
    for (std::size_t i = 0; i < interfaces.names.size(); ++i) {
        const std::string key = std::string(kInterfacesKey) + "\\" + interfaces.names[i];
        InterfaceRecord record{values[0], values[1]};  // one MTU and the global window for all
        if (recordsAbsence) {
            if (records[i].Absent()) continue;  // an interface added after the backup
            const auto own = records[i].IsString() ? ParseInterfaceRecord(records[i].text)
                                                   : std::nullopt;
            if (!own) return Damaged(recordsKey, interfaces.names[i]);
            record = *own;
        }
        changes.Put(key, "MTU", record.mtu, Registry::KeyMode::Existing);
        changes.Put(key, "TcpWindowSize", record.tcpWindowSize, Registry::KeyMode::Existing);
    }
    for (std::size_t i = 1; i < plain; ++i) {
        changes.Put(kTcpipParametersKey, names[i], values[i]);
    }
    return {State::Complete, {}, changes.Take()};
}

}  // namespace vornix
