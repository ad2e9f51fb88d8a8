#include "console/StatusReport.h"

#include <algorithm>
#include <cstdio>

#include "console/ConsoleTexts.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"
#include "profiles/ConnectionProfiles.h"

namespace vornix {
namespace {

using State = ManagedValue::State;

const char* FamilyName(Family family) {
    return family == Family::Win9x ? text::kFamilyWin9x : text::kFamilyNT;
}

const char* FamilyId(Family family) { return family == Family::Win9x ? "95/98/ME" : "NT"; }

// Reads the values of `table` that sit in `key` (the table's own key, or an
// interface key for the interface values).
void ReadValues(Registry& reg, const Status& status, const std::string& key,
                const std::string& interfaceName, std::span<const TcpipValue> values,
                const std::optional<TuningSet>& proposed, std::vector<ManagedValue>& out) {
    const Family family = *status.family;
    const std::vector<std::string> names = NamesOf(values);
    const std::vector<Registry::Value> read = reg.ReadRegValues(kHkeyLocalMachine, key, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ManagedValue value{key,      interfaceName, names[i], State::NotSet, 0, read[i].text, {},
                           ReadsOn(status.version, !interfaceName.empty(), names[i])};
        const NumberRead number = ToNumber(family, read[i]);
        switch (number.kind) {
            case NumberRead::Number: value.state = State::Set; value.current = number.value; break;
            case NumberRead::Absent: value.state = State::NotSet; break;
            case NumberRead::NotNumber: value.state = State::NotANumber; break;
            case NumberRead::Failed: value.state = State::Unreadable; break;
        }
        if (proposed) value.proposed = (*proposed).*values[i].member;
        out.push_back(std::move(value));
    }
}

std::string Current(const ManagedValue& v) {
    switch (v.state) {
        case State::Set: return std::to_string(v.current);
        case State::NotSet: return text::kNotSet;
        case State::Unreadable: return text::kUnreadable;
        case State::NotANumber: return text::kNotANumber;
    }
    return {};
}

std::string Json(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const char* StateId(State state) {
    switch (state) {
        case State::Set: return "set";
        case State::NotSet: return "not set";
        case State::Unreadable: return "unreadable";
        case State::NotANumber: return "not a number";
    }
    return "";
}

const char* BackupStateId(StoredBackup::State state) {
    switch (state) {
        case StoredBackup::State::None: return "none";
        case StoredBackup::State::Complete: return "complete";
        case StoredBackup::State::Damaged: return "damaged";
        case StoredBackup::State::Unreadable: return "unreadable";
    }
    return "";
}

// "原系统配置的备份：" and what the store holds, as one line.
std::string BackupLine(const std::vector<BackupStatus>& backups) {
    std::string held;
    for (const BackupStatus& b : backups) {
        if (b.state == StoredBackup::State::None) continue;
        if (!held.empty()) held += "；";
        if (b.state == StoredBackup::State::Complete) {
            held += std::string(text::kBackupOf) + FamilyName(b.family);
        } else {
            held += (b.state == StoredBackup::State::Damaged ? text::kBackupDamaged
                                                             : text::kBackupUnreadable) +
                    b.reason;
        }
    }
    return text::kBackup + (held.empty() ? std::string(text::kBackupNone) : held) + "\n";
}

}  // namespace

std::vector<BackupStatus> ReadBackups(Registry& reg, const std::string& productKey) {
    std::vector<BackupStatus> backups;
    for (const Family f : {Family::Win9x, Family::NT}) {
        TuningSet scratch;
        const StoredBackup stored = ReadBackup(reg, productKey, f, scratch);
        backups.push_back({f, stored.state, stored.reason});
    }
    return backups;
}

bool NoBackupAtAll(const std::vector<BackupStatus>& backups) {
    return std::all_of(backups.begin(), backups.end(), [](const BackupStatus& b) {
        return b.state == StoredBackup::State::None;
    });
}

BackupAnswer AnswerBackup(Registry& reg, clsOS& os, const std::string& productKey) {
    const std::vector<BackupStatus> backups = ReadBackups(reg, productKey);
    BackupAnswer answer{ExitCode::NotCompleted, BackupLine(backups)};
    if (NoBackupAtAll(backups)) {
        answer.code = ExitCode::NoBackup;
        return answer;
    }
    const std::optional<Family> running = FamilyOf(os.OperatingPlatform());
    if (!running) return answer;  // no family the program could restore on
    for (const BackupStatus& b : backups) {
        if (b.family == running && b.state == StoredBackup::State::Complete) {
            answer.code = ExitCode::Done;
        }
    }
    return answer;
}

BackupAnswer SetAsideBackup(Registry& reg, clsOS& os, const std::string& productKey) {
    const std::optional<Family> running = FamilyOf(os.OperatingPlatform());
    if (!running) return {ExitCode::NotCompleted, std::string(text::kReasonUnknownWindows) + "\n"};
    const SetAside moved = SetAsideDamagedBackup(reg, productKey, *running);
    const std::string familyKey = "HKEY_LOCAL_MACHINE\\" + FamilyKey(productKey, *running);
    if (moved.Moved()) {
        return {ExitCode::Done, text::kSetAsideDone + ("HKEY_LOCAL_MACHINE\\" + moved.key) + "\n"};
    }
    switch (moved.state) {
        case StoredBackup::State::None:
            return {ExitCode::NoBackup, std::string(text::kSetAsideNone) + "\n"};
        case StoredBackup::State::Complete:
            return {ExitCode::NotCompleted, std::string(text::kSetAsideComplete) + "\n"};
        case StoredBackup::State::Unreadable:
            return {ExitCode::NotCompleted, BackupLine(ReadBackups(reg, productKey))};
        case StoredBackup::State::Damaged:
            break;
    }
    return {moved.error == kErrorAccessDenied ? ExitCode::NeedsAdmin : ExitCode::NotCompleted,
            text::kSetAsideFailed + std::to_string(moved.error) + text::kSetAsideFailedEnd +
                familyKey + "\n"};
}

Status ReadStatus(Registry& reg, VersionSource& version, const std::string& productKey,
                  const CommandLine& line) {
    Status status;
    clsOS os(version);
    status.platform = os.OperatingPlatform();
    status.version.dwOSVersionInfoSize = sizeof status.version;
    version.RealVersion(status.version);
    status.method = line.method;
    status.speed = line.speed;
    // The store is read whatever the Windows: a backup it holds is there to
    // be told about even where no value can be read or written.
    status.backups = ReadBackups(reg, productKey);
    status.family = FamilyOf(status.platform);
    if (!status.family) return status;
    const Family family = *status.family;
    const FamilyLocations& where = LocationsOf(family);
    std::optional<TuningSet> proposed;
    if (line.method) {
        proposed.emplace();
        SelectSpeed(*proposed, *line.method, static_cast<std::int16_t>(*line.speed));
        SetFixedMembers(*proposed);
    }
    // The family's keys, then each interface's.
    for (const TcpipKey& key : where.keys) {
        ReadValues(reg, status, key.path, {}, key.values, proposed, status.values);
    }
    const Registry::KeyNames interfaces = ListInterfaces(reg, family);
    status.interfacesUnreadable = interfaces.error != kErrorSuccess;
    for (const std::string& name : interfaces.names) {
        ReadValues(reg, status, InterfaceKey(name), name, where.interfaceValues, proposed,
                   status.values);
    }
    return status;
}

std::string VersionText(const OsVersionRecord& v) {
    return std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) + text::kBuild +
           std::to_string(v.dwBuildNumber);
}

std::string ReadsText(const WindowsReads& reads) {
    std::string line = reads.answer == WindowsReads::Answer::Read      ? text::kReads
                       : reads.answer == WindowsReads::Answer::NotRead ? text::kNotRead
                                                                       : text::kReadUnknown;
    line += reads.reason;
    if (*reads.successor != '\0') line += text::kSeeAlso + std::string(reads.successor);
    return line;
}

std::string StatusText(const Status& status) {
    std::string out = text::kWindowsFamily;
    out += status.family ? FamilyName(*status.family) : text::kFamilyUnknown;
    out += "\n";
    if (status.family) out += text::kWindowsVersion + VersionText(status.version) + "\n";
    out += BackupLine(status.backups);
    if (status.method) {
        const ConnectionMethod& method = ConnectionMethods()[static_cast<std::size_t>(*status.method)];
        out += std::string(text::kChoice) + method.caption + "，" +
               method.speeds[static_cast<std::size_t>(*status.speed)].caption + "\n";
    }
    std::string key;
    for (const ManagedValue& v : status.values) {
        if (v.key != key) {
            key = v.key;
            out += "\n";
            if (!v.interfaceName.empty()) out += text::kInterface + v.interfaceName + "\n";
            out += "HKEY_LOCAL_MACHINE\\" + key + "\n";
        }
        std::string line = "  " + v.name;
        line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
        const std::size_t column = line.size();
        line += Current(v);
        if (v.proposed) line += text::kBecomes + std::to_string(*v.proposed);
        if (v.proposed && v.reads.answer == WindowsReads::Answer::NotRead) line += text::kNotReadMark;
        out += line + "\n" + std::string(column, ' ') + ReadsText(v.reads) + "\n";
    }
    if (status.interfacesUnreadable) {
        out += "\n";
        out += text::Naming(text::kReasonReadFailed, kInterfacesKey) + "\n";
    }
    if (status.method && !status.values.empty()) out += std::string("\n") + text::kPreviewNote + "\n";
    return out;
}

std::string StatusJson(const Status& status) {
    std::string out = "{\"windows\":{\"platform\":" + std::to_string(status.platform) +
                      ",\"family\":" + (status.family ? Json(FamilyId(*status.family)) : "null") +
                      ",\"version\":" + Json(std::to_string(status.version.dwMajorVersion) + "." +
                                              std::to_string(status.version.dwMinorVersion) + "." +
                                              std::to_string(status.version.dwBuildNumber)) +
                      "},\"backups\":[";
    for (std::size_t i = 0; i < status.backups.size(); ++i) {
        const BackupStatus& b = status.backups[i];
        out += std::string(i ? "," : "") + "{\"family\":" + Json(FamilyId(b.family)) +
               ",\"state\":" + Json(BackupStateId(b.state));
        if (!b.reason.empty()) out += ",\"reason\":" + Json(b.reason);
        out += "}";
    }
    out += "],\"choice\":";
    if (status.method) {
        const ConnectionMethod& method = ConnectionMethods()[static_cast<std::size_t>(*status.method)];
        out += "{\"method\":" + std::to_string(*status.method + 1) + ",\"speed\":" +
               std::to_string(*status.speed + 1) + ",\"connection\":" + Json(method.caption) +
               ",\"speedCaption\":" +
               Json(method.speeds[static_cast<std::size_t>(*status.speed)].caption) + "}";
    } else {
        out += "null";
    }
    out += ",\"interfacesReadable\":" + std::string(status.interfacesUnreadable ? "false" : "true");
    out += ",\"values\":[";
    for (std::size_t i = 0; i < status.values.size(); ++i) {
        const ManagedValue& v = status.values[i];
        out += std::string(i ? "," : "") + "{\"key\":" + Json("HKEY_LOCAL_MACHINE\\" + v.key);
        if (!v.interfaceName.empty()) out += ",\"interface\":" + Json(v.interfaceName);
        out += ",\"name\":" + Json(v.name) + ",\"state\":" + Json(StateId(v.state)) +
               ",\"current\":" + (v.state == State::Set ? std::to_string(v.current) : "null");
        if (status.family == Family::Win9x && v.state != State::NotSet &&
            v.state != State::Unreadable) {
            out += ",\"text\":" + Json(v.text);
        }
        if (v.proposed) out += ",\"new\":" + std::to_string(*v.proposed);
        out += ",\"windowsReads\":" + Json(AnswerId(v.reads.answer)) + ",\"why\":" + Json(v.reads.reason);
        if (*v.reads.successor != '\0') out += ",\"seeAlso\":" + Json(v.reads.successor);
        out += "}";
    }
    return out + "]}\n";
}

}  // namespace vornix
