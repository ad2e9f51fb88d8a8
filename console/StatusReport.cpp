#include "console/StatusReport.h"

#include <algorithm>
#include <cstdio>

#include "console/ConsoleTexts.h"
#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"
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
                const std::string& interfaceName, const std::vector<Located>& values,
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
        if (proposed) value.proposed = (*proposed).*values[i].value->member;
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
std::string BackupLine(const HeldBackups& held) {
    std::string line;
    for (const BackupStatus& b : held.backups) {
        if (b.state == StoredBackup::State::None) continue;
        if (!line.empty()) line += "；";
        if (b.state == StoredBackup::State::Complete) {
            line += std::string(text::kBackupOf) + FamilyName(b.family);
        } else {
            line += (b.state == StoredBackup::State::Damaged ? text::kBackupDamaged
                                                             : text::kBackupUnreadable) +
                    b.reason;
        }
    }
    return text::kBackup + (line.empty() ? std::string(text::kBackupNone) : line) + "\n";
}

std::string Hex(const std::vector<std::uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : data) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

// A copy's value as the registry holds it: a DWORD's number, a string's
// text in quotes, other data as its type and bytes.
std::string StoredText(const Registry::Value& v) {
    if (!v.Read()) return text::kUnreadable;
    if (v.IsDword()) return std::to_string(v.number);
    if (v.IsString()) return "\"" + v.text + "\"";
    return text::kStoredType + std::to_string(v.type) + "：" + Hex(v.data);
}

// A line naming each copy set aside; with `values`, every value it holds
// below it.
std::string CopyLines(const HeldBackups& held, bool values) {
    std::string lines;
    for (const SetAsideCopy& copy : held.copies) {
        lines += text::kSetAsideCopy + ("HKEY_LOCAL_MACHINE\\" + copy.key) + "\n";
        if (!values) continue;
        for (const SetAsideCopy::Entry& e : copy.values) {
            std::string line = "  " + (e.subkey.empty() ? e.name : e.subkey + "\\" + e.name);
            line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
            lines += line + StoredText(e.value) + "\n";
        }
        if (copy.error != kErrorSuccess) {
            lines += "  " + text::Naming(text::kReasonReadFailed, copy.key) + "\n";
        }
    }
    if (!held.copiesUnlisted.empty()) lines += held.copiesUnlisted + "\n";
    return lines;
}

}  // namespace

HeldBackups ReadBackups(Registry& reg, const std::string& productKey) {
    HeldBackups held;
    for (const Family f : {Family::Win9x, Family::NT}) {
        const StoredBackup stored = ReadBackup(reg, productKey, f, ListInterfaces(reg, f));
        held.backups.push_back({f, stored.state, stored.reason});
        const Registry::KeyNames copies = ListSetAside(reg, productKey, f);
        if (copies.error != kErrorSuccess) held.copiesUnlisted = text::Naming(text::kCopiesNotListed, productKey);
        for (const std::string& key : copies.names) held.copies.push_back(ReadSetAsideCopy(reg, key, f));
    }
    return held;
}

bool NoBackupAtAll(const HeldBackups& held) {
    return held.copies.empty() && held.copiesUnlisted.empty() &&
           std::all_of(held.backups.begin(), held.backups.end(), [](const BackupStatus& b) {
               return b.state == StoredBackup::State::None;
           });
}

BackupAnswer AnswerBackup(Registry& reg, clsOS& os, const std::string& productKey) {
    const HeldBackups held = ReadBackups(reg, productKey);
    BackupAnswer answer{ExitCode::NotCompleted, BackupLine(held) + CopyLines(held, false)};
    if (NoBackupAtAll(held)) {
        answer.code = ExitCode::NoBackup;
        return answer;
    }
    const std::optional<Family> running = FamilyOf(os.OperatingPlatform());
    if (!running) return answer;  // no family the program could restore on
    for (const BackupStatus& b : held.backups) {
        if (b.family == running && b.state == StoredBackup::State::Complete) {
            // Copies that could not be listed may be there.
            answer.code = held.copies.empty() && held.copiesUnlisted.empty() ? ExitCode::Done
                                                                             : ExitCode::BackupBesideCopies;
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
            // "No backup" only when the product key holds nothing at all.
            return {NoBackupAtAll(ReadBackups(reg, productKey)) ? ExitCode::NoBackup
                                                                 : ExitCode::NotCompleted,
                    std::string(text::kSetAsideNone) + "\n"};
        case StoredBackup::State::Complete:
            return {ExitCode::NotCompleted, std::string(text::kSetAsideComplete) + "\n"};
        case StoredBackup::State::Unreadable:
            return {ExitCode::NotCompleted, text::kBackup + (text::kBackupUnreadable + moved.reason) + "\n"};
        case StoredBackup::State::Damaged:
            break;
    }
    // Windows 95/98/ME has no administrator rights to ask for.
    const ExitCode code = moved.error == kErrorAccessDenied && running == Family::NT ? ExitCode::NeedsAdmin
                                                                                    : ExitCode::NotCompleted;
    const std::string error = std::to_string(moved.error);
    if (!moved.copiesListed) {
        return {code, text::kSetAsideFailed + error + text::kSetAsideFailedEnd + familyKey + "\n" +
                          text::Naming(text::kCopiesNotListed, productKey) + "\n"};
    }
    if (!moved.key.empty()) {
        // Copied whole, but the store could not be deleted: it is in both places.
        return {code, text::kSetAsideCopied + ("HKEY_LOCAL_MACHINE\\" + moved.key) +
                          text::kSetAsideNotDeleted + error + text::kSetAsideNotDeletedEnd + familyKey + "\n"};
    }
    return {code, text::kSetAsideFailed + error + text::kSetAsideFailedEnd + familyKey + "\n"};
}

Status ReadStatus(Registry& reg, VersionSource& version, const std::string& productKey,
                  const CommandLine& line) {
    Status status;
    clsOS os(version);
    status.platform = os.OperatingPlatform();
    status.version = os.RealVersion();
    status.method = line.method;
    status.speed = line.speed;
    // The store is read whatever the Windows: a backup it holds is there to
    // be told about even where no value can be read or written.
    status.held = ReadBackups(reg, productKey);
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
    out += BackupLine(status.held);
    out += CopyLines(status.held, true);
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
    for (std::size_t i = 0; i < status.held.backups.size(); ++i) {
        const BackupStatus& b = status.held.backups[i];
        out += std::string(i ? "," : "") + "{\"family\":" + Json(FamilyId(b.family)) +
               ",\"state\":" + Json(BackupStateId(b.state));
        if (!b.reason.empty()) out += ",\"reason\":" + Json(b.reason);
        out += "}";
    }
    out += "],\"setAside\":[";
    for (std::size_t i = 0; i < status.held.copies.size(); ++i) {
        const SetAsideCopy& copy = status.held.copies[i];
        out += std::string(i ? "," : "") + "{\"key\":" + Json("HKEY_LOCAL_MACHINE\\" + copy.key) +
               ",\"family\":" + Json(FamilyId(copy.family)) +
               ",\"readable\":" + (copy.error == kErrorSuccess ? "true" : "false") + ",\"values\":[";
        for (std::size_t j = 0; j < copy.values.size(); ++j) {
            const SetAsideCopy::Entry& e = copy.values[j];
            out += std::string(j ? "," : "") + "{";
            if (!e.subkey.empty()) out += "\"subkey\":" + Json(e.subkey) + ",";
            out += "\"name\":" + Json(e.name);
            if (!e.value.Read()) {
                out += ",\"state\":\"unreadable\"";
            } else if (e.value.IsDword()) {
                out += ",\"type\":\"REG_DWORD\",\"number\":" + std::to_string(e.value.number);
            } else if (e.value.IsString()) {
                out += ",\"type\":\"REG_SZ\",\"text\":" + Json(e.value.text);
            } else {
                out += ",\"type\":" + std::to_string(e.value.type) + ",\"data\":" + Json(Hex(e.value.data));
            }
            out += "}";
        }
        out += "]}";
    }
    out += "],\"setAsideListed\":" + std::string(status.held.copiesUnlisted.empty() ? "true" : "false");
    out += ",\"choice\":";
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
