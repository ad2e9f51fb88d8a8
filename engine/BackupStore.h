#pragma once
// The backup store below the product key, and the reading of it.
//
//   SOFTWARE\<product>                      "备份    " DWORD 1 once a backup is complete,
//                                           written after everything else
//     Platform_Windows_95_98_ME             the eight 95/98/ME values as number text
//     Platform_Windows_NT_2K_XP             "MTU" (the last interface's) and the six
//                                           Parameters values as DWORDs
//
// Beside those, each family key records what the plain values cannot say,
// so that a restore puts the machine back exactly as it was:
//     "AbsentValues"  REG_SZ   names of the values that did not exist, joined
//                              by ","; their plain value holds 0
//     "BackupFormat"  DWORD    1 while the family key is being written, 2 once
//                              everything in it is (written last)
//   on the 95/98/ME family, the source texts as they were:
//     Platform_Windows_95_98_ME\Texts
//                     one REG_SZ per value that existed, holding its text
//                     exactly (" 1500", "1500" or "1500 "), for the restore
//   and, on the NT family, each interface's own values:
//     Platform_Windows_NT_2K_XP\Interfaces
//                     one REG_SZ per interface, named as the interface, such
//                     as "MTU=1400;TcpWindowSize=-" ("-": the value did not exist)
// A family key without "BackupFormat" is the plain store of earlier versions:
// every value present, one MTU and the global window for every interface.
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
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/RegistryNumbers.h"
#include "profiles/TuningSet.h"
#include "system/Registry.h"

namespace vornix {

// "备份" followed by four blanks.
inline constexpr const char* kBackupFlagName = "备份    ";
// The names an earlier version's flag may have besides the Unicode form,
// written through a code page that lacks one or both of its characters.
inline constexpr const char* kLossyBackupFlagNames[] = {"??    ", "?份    ", "备?    "};
inline constexpr const char* kInstallPathName = "InstallPath";
inline constexpr const char* kWin9xStoreKey = "\\Platform_Windows_95_98_ME";
inline constexpr const char* kNtStoreKey = "\\Platform_Windows_NT_2K_XP";
inline constexpr const char* kStoreInterfacesKey = "\\Interfaces";
inline constexpr const char* kStoreTextsKey = "\\Texts";
inline constexpr const char* kAbsentValuesName = "AbsentValues";
inline constexpr const char* kBackupFormatName = "BackupFormat";
inline constexpr std::int32_t kBackupFormatWriting = 1;
inline constexpr std::int32_t kBackupFormatWithAbsence = 2;

// The names of absent values, joined by "," and split again.
std::string JoinNames(const std::vector<std::string>& names);
std::set<std::string> SplitNames(const std::string& list);

// One interface's record: its MTU and TcpWindowSize, each absent or a number.
struct InterfaceRecord {
    std::optional<std::int32_t> mtu;
    std::optional<std::int32_t> tcpWindowSize;
};
std::string FormatInterfaceRecord(const InterfaceRecord& record);
// Empty when the text is not a record this program wrote.
std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text);

// The changes for one key that give back what a backup holds: values to
// write in order, then values to delete. Interface keys are written only if
// they still exist.
struct KeyChanges {
    std::string key;
    Registry::KeyMode mode = Registry::KeyMode::Create;
    std::vector<Registry::NewValue> writes;
    std::vector<std::string> deletes;
};

// What the product key holds for one Windows family.
struct StoredBackup {
    enum class State {
        None,        // no backup of this family: the flag is not 1, or this
                     // family's key is missing or holds an unfinished backup
        Complete,    // a backup that can be written back whole: `changes`
        Damaged,     // a value it needs is missing or wrong: `reason`
        Unreadable,  // the flag or the store could not be read: `reason`
    };
    State state = State::None;
    std::string reason;
    std::vector<KeyChanges> changes;
};

// The backup flag below `productKey`: set when the flag, in any of the forms
// above, is a DWORD holding 1; unreadable when no form holds 1 and one of
// them could not be read.
enum class BackupFlag { NotSet, Set, Unreadable };
BackupFlag ReadBackupFlag(Registry& reg, const std::string& productKey);
// Sets the flag, in its Unicode form; the Win32 code of the write.
long WriteBackupFlag(Registry& reg, const std::string& productKey);

// Reads the flag and the backup of `family` below `productKey`, and works out
// what a restore writes for the machine as it is now (its interfaces). The
// members of `tuning` that the backup holds are loaded as they are read, so a
// store that turns out damaged leaves the ones before the damage loaded.
// Nothing is written.
StoredBackup ReadBackup(Registry& reg, const std::string& productKey, Family family,
                        TuningSet& tuning);

}  // namespace vornix
