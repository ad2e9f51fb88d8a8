#pragma once
// The backup store below the product key: its layout, its writing and its
// reading. Reading only reads: what a restore then writes is planned apart
// (TuningPlan.h).
//
//   SOFTWARE\<product>                      "备份    " DWORD 1 once a backup is complete,
//                                           written after everything else
//     Platform_Windows_95_98_ME             the 95/98/ME values as number text
//     Platform_Windows_NT_2K_XP             the NT values as DWORDs; "MTU" is the last
//                                           interface's
//
// Beside those, each family key records what the plain values cannot say,
// so that a restore puts the machine back exactly as it was:
//     "BackupFormat"  DWORD    1 while the family key is being written, then
//                              the format it was written in (written last)
//     "StoredValues"  REG_SZ   names of the plain values, joined by "," (format 3)
//     "AbsentValues"  REG_SZ   names of the values that did not exist, joined
//                              by ","; their plain value holds 0
//   on the 95/98/ME family, the source texts as they were:
//     Platform_Windows_95_98_ME\Texts
//                     one REG_SZ per value that existed, holding its text
//                     exactly (" 1500", "1500" or "1500 "), for the restore
//   and, on the NT family, each interface's own values:
//     Platform_Windows_NT_2K_XP\Interfaces
//                     one REG_SZ per interface, named as the interface, such
//                     as "MTU=1400;TcpWindowSize=-" ("-": the value did not exist)
//
// The formats. Format 3, written now, names the values it holds
// ("StoredValues"; an interface record names its own), so a value the
// program comes to write needs no new format. The formats before it are
// read by the value lists they were written with, which never change:
// format 2 (no "StoredValues") holds the values those lists name; a family
// key without "BackupFormat" is the plain store of earlier versions: every
// value present, one MTU and the global window for every interface.
//
// A damaged family key that `vornix backup --set-aside` moved out of the way
// is kept whole beside them, as "<family key>.damaged-N" (N from 1):
//     Platform_Windows_NT_2K_XP.damaged-1   what Platform_Windows_NT_2K_XP held
// It may hold the only record of the machine's own values: every subkey
// whose name begins so counts as a backup for every reader of the store,
// and nothing deletes it.
//
// The flag's name reaches the registry as Unicode, so it is "备份    " on every
// ANSI code page. Earlier versions passed it through the code page, which
// under code page 1252 made it "??    ", and a user may have changed the code
// page since ("Language for non-Unicode programs"). So a flag is also found
// under the name the running code page makes of "备份    ", and under that
// name with either character or both replaced by "?" ("?份    ", "备?    ",
// "??    "): whatever a code page without those characters made of it. The
// program writes only the Unicode form and never deletes an older one.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/TcpipValues.h"
#include "profiles/TuningSet.h"
#include "system/Registry.h"

namespace vornix {

// "备份" followed by four blanks.
inline constexpr const char* kBackupFlagName = "备份    ";
// The names an earlier version's flag may have besides the Unicode form,
// written through a code page that lacks one or both of its characters.
inline constexpr const char* kLossyBackupFlagNames[] = {"??    ", "?份    ", "备?    "};
inline constexpr const char* kInstallPathName = "InstallPath";

// The product key, "SOFTWARE\" followed by the product name: the root of
// the backup store and the home of the install record.
std::string ProductKey(const std::string& productName);
// The key of a family's backup below the product key.
std::string FamilyKey(const std::string& productKey, Family family);

// An interface's own values in the order of its record: a number, or none
// for a value that did not exist.
using InterfaceRecord = std::vector<std::pair<std::string, std::optional<std::int32_t>>>;

// A value of the machine as a backup keeps it: a number, or none for one
// that did not exist; a 95/98/ME value's text as it was.
struct MachineValue {
    std::string name;
    std::optional<std::int32_t> number;
    std::string text;
};

// What a backup keeps of the machine: the plain values in the order of
// LocationsOf(family).values, and on the NT family each interface's own.
struct MachineValues {
    std::vector<MachineValue> values;
    std::vector<std::pair<std::string, InterfaceRecord>> interfaces;
};

// Writes a backup of `family` below `productKey`: the family key marked
// unfinished until everything in it is written, and the flag last, so that
// a flag of 1 always stands for a complete store. Stops at the first write
// that fails and returns its Win32 code; 0 when all is written.
long WriteBackup(Registry& reg, const std::string& productKey, Family family,
                 const MachineValues& machine);

// The backup flag below `productKey`: set when the flag, in any of the forms
// above, is a DWORD holding 1; unreadable when no form holds 1 and one of
// them could not be read.
enum class BackupFlag { NotSet, Set, Unreadable };
BackupFlag ReadBackupFlag(Registry& reg, const std::string& productKey);

// What the product key holds for one Windows family.
struct StoredBackup {
    enum class State {
        None,        // no backup of this family: the flag is not 1, or this
                     // family's key is missing or holds an unfinished backup
        Complete,    // a backup that can be written back whole
        Damaged,     // a value it needs is missing or wrong: `reason`
        Unreadable,  // the flag or the store could not be read: `reason`
    };
    struct Value {
        std::string name;
        TuningMember member;
        std::optional<std::int32_t> number;
        std::string text;  // 95/98/ME: the text as it was, when it stands for `number`
    };
    State state = State::None;
    std::string reason{};
    // The plain values in the store's order: all of them in a complete
    // backup, those before the damage in a damaged one.
    std::vector<Value> values{};
    // Format 2 on: each interface's own values, for the interfaces asked
    // about that the store has a record of. Before it the plain values
    // stand for every interface.
    bool perInterface = false;
    std::map<std::string, InterfaceRecord> interfaces{};
};

// Reads the flag and the backup of `family` below `productKey`, with the
// records of the network interfaces listed; a list that could not be read
// makes the backup unreadable only where it needs them. Nothing is written.
StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family,
                        const Registry::KeyNames& interfaces);
// Loads the numbers a backup holds into `tuning`, which a restore writes from.
void LoadInto(const StoredBackup& backup, TuningSet& tuning);

// The keys (below HKEY_LOCAL_MACHINE) of a family's copies set aside:
// every subkey of the product key whose name begins with "<family key
// name>.damaged-". `error` is not 0 when the product key's subkeys could
// not be listed whole, so that there may be copies not named here.
Registry::KeyNames ListSetAside(Registry& reg, const std::string& productKey, Family family);

// The way out of a damaged backup: moves `family`'s key below the product
// key aside, whole, to "<family key>.damaged-N" (the first N not taken), so
// that the next optimize makes a fresh backup. Nothing is deleted that has
// not first been copied and read back, and what a failed delete leaves
// behind reads as damaged, never as a backup; the flag stays as it is.
// Only a damaged store is moved: a complete one is there to be restored, and
// one that cannot be read cannot be copied whole.
struct SetAside {
    StoredBackup::State state;  // the store as it was found
    std::string reason;         // why it is damaged or could not be read
    long error = 0;             // the Win32 code of a listing, copy or delete that failed
    bool copiesListed = true;   // false: the copies could not be listed, so no N was free
    // Where the copy went: set when it is whole, also when the store could
    // then not be deleted (`error`), so that it is in two places.
    std::string key;
    bool Moved() const { return state == StoredBackup::State::Damaged && error == 0; }
};
SetAside SetAsideDamagedBackup(Registry& reg, const std::string& productKey, Family family);

// A set-aside copy as it is stored: every value of its key and of the keys
// below it, in the order the registry lists them.
struct SetAsideCopy {
    struct Entry {
        std::string subkey;  // below the copy's key; empty for the key itself
        std::string name;
        Registry::Value value;
    };
    std::string key;  // below HKEY_LOCAL_MACHINE
    Family family;
    long error = 0;  // the code that kept part of it from being read
    std::vector<Entry> values;
};
SetAsideCopy ReadSetAsideCopy(Registry& reg, const std::string& key, Family family);

}  // namespace vornix
