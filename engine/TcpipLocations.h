#pragma once
// Where each Windows family's TCP/IP stack reads the values the program
// writes, and which member of the tuning set each value holds: the one place
// that backup, apply, restore and the console tool's status report go by.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

struct TcpipValue {
    const char* name;  // the value's name there and in the backup store
    TuningMember member;
};

// A key below HKEY_LOCAL_MACHINE and its values, in write order.
struct TcpipKey {
    const char* path;
    std::span<const TcpipValue> values;
};

struct FamilyLocations {
    Family family;
    std::span<const TcpipKey> keys;  // in write order
    // Written into every network interface's key, before the keys above;
    // none on 95/98/ME.
    std::span<const TcpipValue> interfaceValues;
};

const FamilyLocations& LocationsOf(Family family);

inline constexpr const char* kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
inline constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kTcpipParametersKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr const char* kInterfacesKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// A network interface's key, by the interface's name.
std::string InterfaceKey(const std::string& name);

// The family's network interfaces (their key names, in enumeration order);
// `error` is not 0 when the list could not be read whole. A missing
// Interfaces key, and the 95/98/ME family, have none.
Registry::KeyNames ListInterfaces(Registry& reg, Family family);

// The names of a key's values.
std::vector<std::string> NamesOf(std::span<const TcpipValue> values);

}  // namespace vornix
