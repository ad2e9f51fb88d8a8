#pragma once
// The TCP/IP values the program writes, one row each: a row holds
// everything that differs from one value to the next, and backup, apply,
// restore, the summary, the run's status steps, `vornix status` and what
// each Windows reads all go by the rows. A new value is a row here and its
// member of the tuning set with its profile value, nothing more.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/WindowsReads.h"
#include "profiles/TuningSet.h"
#include "system/Registry.h"

namespace vornix {

// Windows 95/98/ME keep the values as number text in REG_SZ values; the NT
// family as REG_DWORD values.
enum class Family { Win9x, NT };

// The family of a platform id; none for 0 (Win32s, or a failed query),
// where nothing may be read or written.
std::optional<Family> FamilyOf(std::int32_t platform);

using TuningMember = std::int32_t TuningSet::*;

inline constexpr const char* kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
inline constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kTcpipParametersKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr const char* kInterfacesKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// A key below HKEY_LOCAL_MACHINE and a value's name there; none where the
// family has no such value.
struct Place {
    const char* key = nullptr;
    const char* name = nullptr;
};

// What the NT releases `from` to `to` (major * 100 + minor: 501 is XP) read
// of a value in an interface key, in the family's own keys, or in either.
enum class ReadsWhere { kInInterface, kInOwnKeys, kEither };
struct ReadsRule {
    unsigned from, to;
    ReadsWhere where;
    WindowsReads reads;
};
inline constexpr unsigned kAnyLater = 0xFFFFFFFF;

struct TcpipValue {
    TuningMember member;
    // Where the stack of each family reads it. On the NT family a value can
    // be in every network interface's key (by name) and in a key of its own;
    // the interfaces are written first.
    Place win9x{};
    const char* ntInterface = nullptr;
    Place nt{};
    // Its line in the summary: the label with its tabs, then "= ", the
    // number and the unit (" 字节", or "" for none).
    const char* label = "";
    const char* unit = "";
    // The run's status step that names it (its progress value and text);
    // step 0 for none.
    int step = 0;
    const char* stepText = "";
    // What each Windows reads of it, where Microsoft's documentation says
    // more of this value than of any (WindowsReads.cpp): on 95/98/ME, and on
    // NT releases, first rule that fits.
    std::optional<WindowsReads> win9xReads{};
    std::span<const ReadsRule> ntReads{};
};

// The rows, in the order of the tuning set.
std::span<const TcpipValue> TcpipValues();

// A value where a family keeps it: its row and its name there.
struct Located {
    const TcpipValue* value;
    const char* name;
};
// A key below HKEY_LOCAL_MACHINE and its values, in write order.
struct TcpipKey {
    const char* path;
    std::vector<Located> values;
};
// Where a family's stack reads the values, from the rows.
struct FamilyLocations {
    Family family;
    std::vector<TcpipKey> keys;  // in write order
    // Written into every network interface's key, before the keys above;
    // none on 95/98/ME.
    std::vector<Located> interfaceValues;
    // Each value the family has once, in row order, by the name it has in
    // the family's own keys or else in the interfaces: the backup store's
    // names for them.
    std::vector<Located> values;
};
const FamilyLocations& LocationsOf(Family family);

// The row of the value `name` of an interface key (`inInterface`) or of the
// family's own keys; none for a name the family does not write there.
const TcpipValue* FindValue(Family family, bool inInterface, const std::string& name);

// A network interface's key, by the interface's name.
std::string InterfaceKey(const std::string& name);

// The family's network interfaces (their key names, in enumeration order);
// `error` is not 0 when the list could not be read whole. A missing
// Interfaces key, and the 95/98/ME family, have none.
Registry::KeyNames ListInterfaces(Registry& reg, Family family);

// The names of values.
std::vector<std::string> NamesOf(const std::vector<Located>& values);

}  // namespace vornix
