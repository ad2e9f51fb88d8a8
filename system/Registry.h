#pragma once
// The program's only path to the registry. Every method opens the key it
// needs, does one job and closes what it opened before returning; nothing is
// kept between calls. No method reports failure: each one falls back to a
// neutral result (empty text, 0, false) or to writing nothing.
//
// Text is UTF-8 here and reaches the registry in the system's ANSI code page.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "system/AnsiCodePage.h"
#include "system/EventPump.h"
#include "system/RegistryApi.h"

namespace vornix {

class Registry {
public:
    // Buffer sizes of the enumeration methods. An entry whose name needs
    // more than 254 bytes (plus NUL) or whose data exceeds 4000 bytes ends a
    // walk: it and every later entry read as past the end.
    static constexpr std::uint32_t kNameBufferSize = 255;
    static constexpr std::uint32_t kDataBufferSize = 4000;

    // `pump` runs between entries of every enumeration; it may be empty.
    Registry(RegistryApi& api, const AnsiCodePage& codePage, EventPump pump = {});

    // True when the key exists afterwards (created, or opened as it was).
    bool CreateRegKey(std::int32_t hKey, const std::string& StrPath);
    // Text of a REG_SZ value, cut at its first NUL; empty text when the key
    // or value is missing, or the value has another type.
    std::string ReadRegString(std::int32_t hKey, const std::string& StrPath,
                              const std::string& strValue);
    // Writes REG_SZ with its terminating NUL, creating the key path first.
    void SaveRegString(std::int32_t hKey, const std::string& StrPath, const std::string& strValue,
                       const std::string& strdata);
    // A REG_DWORD as a signed 32-bit number; 0 when missing or of another type.
    std::int32_t ReadRegWord(std::int32_t hKey, const std::string& StrPath,
                             const std::string& strValueName);
    // Writes a REG_DWORD, creating the key path first.
    void SaveRegWord(std::int32_t hKey, const std::string& StrPath,
                     const std::string& strValueName, std::int32_t lData);
    void DeleteRegKey(std::int32_t hKey, const std::string& strKey);
    void DeleteRegValue(std::int32_t hKey, const std::string& StrPath, const std::string& strValue);
    // Enumeration. Each result is what a walk from the first entry gives:
    // an entry that cannot be fetched (see the buffer sizes above) ends the
    // walk, and it and every later entry read as past the end. When the key's
    // longest name (and, for values, longest data) shows that no entry can
    // fail, the count comes from the key's information and entry Index is
    // fetched directly, so each call costs a fixed number of registry calls
    // however many entries the key has; otherwise the walk is made.
    //
    // Number of subkeys before the first one that cannot be fetched; 0 when
    // the key cannot be opened.
    std::int32_t SubKeyCount(std::int32_t hKey, const std::string& StrPath);
    // Name of the subkey at 1-based position Index; empty text for Index <= 0
    // or past the end of the walk.
    std::string SubKeyName(std::int32_t hKey, const std::string& StrPath, std::int32_t Index);
    std::int32_t SubValueCount(std::int32_t hKey, const std::string& StrPath);
    std::string SubValueName(std::int32_t hKey, const std::string& StrPath, std::int32_t Index);
    // "UNI" for REG_SZ, "BIN" for REG_BINARY, "WRD" for REG_DWORD, else empty.
    std::string SubValueType(std::int32_t hKey, const std::string& StrPath, std::int32_t Index);

    // The registry type of a value, or kValueAbsent when the key or the value
    // does not exist. Lets the backup tell a value that was never there from
    // one that holds something other than a number.
    // `size`, when given, receives the size of the value's data in bytes.
    static constexpr std::int32_t kValueAbsent = -1;
    std::int32_t ReadRegType(std::int32_t hKey, const std::string& StrPath,
                             const std::string& strValue, std::uint32_t* size = nullptr);

    // The batched forms: each opens its key once for all the entries it
    // handles, so a caller working through n values or subkeys makes a
    // number of registry calls that grows with n, not n times a fixed cost.

    // Every subkey name in enumeration order, up to the first one that
    // cannot be fetched: the names SubKeyName gives for 1 to SubKeyCount.
    // Events are processed between entries. Empty when the key cannot be opened.
    std::vector<std::string> SubKeyNames(std::int32_t hKey, const std::string& StrPath);

    // A value as read: its type (kValueAbsent when it or its key does not
    // exist), its number when it is a 4-byte REG_DWORD, its text (cut at the
    // first NUL) when it is a REG_SZ.
    struct Value {
        std::int32_t type = kValueAbsent;
        std::uint32_t size = 0;
        std::int32_t number = 0;
        std::string text;
        bool IsDword() const { return type == static_cast<std::int32_t>(kRegDword) && size == 4; }
        bool IsString() const { return type == static_cast<std::int32_t>(kRegSz); }
    };
    std::vector<Value> ReadRegValues(std::int32_t hKey, const std::string& StrPath,
                                     const std::vector<std::string>& names);

    // A value to write: a REG_DWORD holding `number`, or a REG_SZ holding
    // `text` with its terminating NUL.
    struct NewValue {
        std::string name;
        bool isText = false;
        std::int32_t number = 0;
        std::string text;
    };
    // Creates the key path, writes the values in order and reads each one
    // back. True when the registry then holds every value as written.
    bool SaveRegValues(std::int32_t hKey, const std::string& StrPath,
                       const std::vector<NewValue>& values);
    // Deletes the values. True when none of them exists afterwards (a
    // missing key holds none).
    bool DeleteRegValues(std::int32_t hKey, const std::string& StrPath,
                         const std::vector<std::string>& names);

private:
    Value QueryValue(RegKeyHandle key, const std::string& ansiName);

    enum class Walk { Keys, Values };
    struct Entry {
        std::string name;  // ANSI, cut at its first NUL
        std::uint32_t type = 0;
    };
    // Fetches entry `position` (0-based) of an open key; false when it fails.
    bool FetchEntry(RegKeyHandle key, Walk walk, std::uint32_t position, Entry& entry);
    // The key's entry count when no entry can fail its fetch; nullopt when
    // that cannot be told, and only a walk gives the right answer.
    std::optional<std::uint32_t> DirectCount(RegKeyHandle key, Walk walk);
    std::int32_t CountEntries(std::int32_t hKey, const std::string& StrPath, Walk walk);
    bool FindEntry(std::int32_t hKey, const std::string& StrPath, Walk walk, std::int32_t Index,
                   Entry& entry);
    void PumpEvents();

    RegistryApi& api_;
    const AnsiCodePage& codePage_;
    EventPump pump_;
};

}  // namespace vornix
