#pragma once
// The backup store below the product key.
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
//     "BackupFormat"  DWORD    2 when the additions are present
//   on the 95/98/ME family, the source texts as they were:
//     Platform_Windows_95_98_ME\Texts
//                     one REG_SZ per value that existed, holding its text
//                     exactly (" 1500", "1500" or "1500 "), for the restore
//   and, on the NT family, each interface's own values:
//     Platform_Windows_NT_2K_XP\Interfaces
//                     one REG_SZ per interface, named as the interface, such
//                     as "MTU=1400;TcpWindowSize=-" ("-": the value did not exist)
// A store without "BackupFormat" is read as it always was: every value
// present, one MTU and the global window for every interface.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vornix {

// "备份" followed by four blanks.
inline constexpr const char* kBackupFlagName = "备份    ";
inline constexpr const char* kInstallPathName = "InstallPath";
inline constexpr const char* kWin9xStoreKey = "\\Platform_Windows_95_98_ME";
inline constexpr const char* kNtStoreKey = "\\Platform_Windows_NT_2K_XP";
inline constexpr const char* kStoreInterfacesKey = "\\Interfaces";
inline constexpr const char* kStoreTextsKey = "\\Texts";
inline constexpr const char* kAbsentValuesName = "AbsentValues";
inline constexpr const char* kBackupFormatName = "BackupFormat";
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

}  // namespace vornix
