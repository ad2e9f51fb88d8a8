#pragma once
// What `vornix status` shows: the running Windows family and version, the
// backups the store holds, and every value the program manages where that
// family keeps it, whether this Windows reads it, and the value an optimize
// run would write beside it when a choice is given. Reading it writes
// nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "engine/BackupStore.h"
#include "engine/RegistryNumbers.h"
#include "engine/WindowsReads.h"
#include "system/Registry.h"
#include "system/clsOS.h"

namespace vornix {

struct ManagedValue {
    enum class State { Set, NotSet, Unreadable, NotANumber };
    std::string key;            // below HKEY_LOCAL_MACHINE
    std::string interfaceName;  // the interface whose key this is, if one
    std::string name;
    State state = State::NotSet;
    std::int32_t current = 0;               // when set
    std::string text;                       // a 95/98/ME value's text, as stored
    std::optional<std::int32_t> proposed;   // what an optimize run writes
    WindowsReads reads;                     // whether the running Windows reads it
};

struct BackupStatus {
    Family family;
    StoredBackup::State state;
    std::string reason;
};

// What the product key holds of the machine's own values: each family's
// backup, 95/98/ME first, and every copy set aside, as stored.
struct HeldBackups {
    std::vector<BackupStatus> backups;
    std::vector<SetAsideCopy> copies;
    // Says so when the copies could not be listed: there may be more.
    std::string copiesUnlisted;
};

struct Status {
    std::int32_t platform = 0;
    OsVersionRecord version{};  // the real version, not the one GetVersionExA tells
    std::optional<Family> family;
    HeldBackups held;
    std::optional<int> method, speed;   // the choice, 0-based
    std::vector<ManagedValue> values;
    bool interfacesUnreadable = false;  // the list of interfaces could not be read
};

Status ReadStatus(Registry& reg, VersionSource& version, const std::string& productKey,
                  const CommandLine& line);

// Both families' backups and the copies set aside, as the store below
// `productKey` holds them. Nothing is written.
HeldBackups ReadBackups(Registry& reg, const std::string& productKey);

// Neither family has a backup and no copy is set aside: the product key
// holds nothing of the machine's own values.
bool NoBackupAtAll(const HeldBackups& held);

// What `vornix backup` tells: the status report's backup lines, and Done
// when a complete backup of the running family exists (a restore can be
// made) and no copy is set aside; BackupBesideCopies when there are copies
// beside such a backup; NoBackup when the product key holds nothing of the
// machine's own values; and NotCompleted when it holds something that
// cannot be restored on this Windows (damaged, unreadable, only the other
// family's, only copies set aside, or a Windows the program does not know).
struct BackupAnswer {
    ExitCode code = ExitCode::NotCompleted;
    std::string text;
};
BackupAnswer AnswerBackup(Registry& reg, clsOS& os, const std::string& productKey);
// `vornix backup --set-aside`: moves the running family's damaged backup
// aside (SetAsideDamagedBackup). Done when it was moved; NoBackup when this
// family has none; NotCompleted when it is complete, cannot be read, or the
// move failed (NeedsAdmin when refused as access denied), nothing lost.
BackupAnswer SetAsideBackup(Registry& reg, clsOS& os, const std::string& productKey);

// The report for a reader, and the same as one JSON object.
std::string StatusText(const Status& status);
std::string StatusJson(const Status& status);

}  // namespace vornix
