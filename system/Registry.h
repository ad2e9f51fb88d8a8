#pragma once
// The program's only path to the registry. Every method opens the key it
// needs, does one job and closes what it opened before returning; nothing is
// kept between calls.
//
// The twelve classic methods fold every failure into a neutral result
// (empty text, 0, false) or into writing nothing, and cannot tell a missing
// value from one that could not be read. Their reads, writes and deletes are
// the batched forms' with the result folded; their enumeration walks share
// the batched listing's fetch. The batched forms below them report
// what happened as a Win32 code, so that a caller that must not lose data can
// tell a value that does not exist (ERROR_FILE_NOT_FOUND) from one it was not
// allowed or not able to read (any other code).
//
// Text is UTF-8 here and reaches the registry in the system's ANSI code page;
// the batched forms can also pass a value's name as Unicode (NameForm).
#include <cstdint>
#include <string>
#include <vector>

#include "system/AnsiCodePage.h"
#include "system/EventPump.h"
#include "system/RegistryApi.h"

namespace vornix {

class Registry {
public:
    // Buffer sizes of the enumeration methods. An entry whose name needs
    // more than 254 bytes (plus NUL) or whose data exceeds 4000 bytes cannot
    // be fetched.
    static constexpr std::uint32_t kNameBufferSize = 255;
    static constexpr std::uint32_t kDataBufferSize = 4000;

    // `pump` runs between entries of every enumeration; it may be empty.
    Registry(RegistryApi& api, const AnsiCodePage& codePage, EventPump pump = {});

    // True when the key exists afterwards (created, or opened as it was).
    bool CreateRegKey(std::int32_t hKey, const std::string& StrPath);
    // Text of a REG_SZ value, cut at its first NUL; empty text when the key
    // or value is missing or cannot be read, or the value has another type.
    std::string ReadRegString(std::int32_t hKey, const std::string& StrPath,
                              const std::string& strValue);
    // Writes REG_SZ with its terminating NUL, creating the key path first.
    // A refused write is not reported.
    void SaveRegString(std::int32_t hKey, const std::string& StrPath, const std::string& strValue,
                       const std::string& strdata);
    // A REG_DWORD as a signed 32-bit number; 0 when missing, unreadable or of
    // another type.
    std::int32_t ReadRegWord(std::int32_t hKey, const std::string& StrPath,
                             const std::string& strValueName);
    // Writes a REG_DWORD, creating the key path first. A refused write is
    // not reported.
    void SaveRegWord(std::int32_t hKey, const std::string& StrPath,
                     const std::string& strValueName, std::int32_t lData);
    void DeleteRegKey(std::int32_t hKey, const std::string& strKey);
    void DeleteRegValue(std::int32_t hKey, const std::string& StrPath, const std::string& strValue);

    // Enumeration by walking from the first entry on every call: reading
    // entry n costs n fetches, and events are processed after each fetched
    // entry that is not the one asked for. An entry that cannot be fetched
    // (see the buffer sizes) ends the walk: it and every later entry read as
    // past the end.
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

    // The batched forms: each opens its key once for all the entries it
    // handles, so a caller working through n values or subkeys makes a
    // number of registry calls that grows with n, not with n squared.

    // A key's subkey names in enumeration order. `error` is 0 when the list
    // is complete, ERROR_FILE_NOT_FOUND when the key does not exist (no
    // names), and otherwise the code that stopped the open or the
    // enumeration: a list that ends with anything but ERROR_NO_MORE_ITEMS
    // is not complete. Events are processed between entries.
    struct KeyNames {
        long error = kErrorSuccess;
        std::vector<std::string> names;
    };
    KeyNames SubKeyNames(std::int32_t hKey, const std::string& StrPath);
    // A key's value names in enumeration order, `error` as for SubKeyNames.
    // Their data is not fetched, so a value of any size is listed. Events
    // are processed between entries.
    KeyNames ValueNames(std::int32_t hKey, const std::string& StrPath);

    // A value as read. `error` is 0 when it was read, ERROR_FILE_NOT_FOUND
    // when it or its key does not exist, and otherwise the code that kept it
    // from being read. `number` holds a 4-byte REG_DWORD, `text` a REG_SZ
    // cut at its first NUL.
    struct Value {
        long error = kErrorFileNotFound;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        std::int32_t number = 0;
        std::string text;
        std::vector<std::uint8_t> data;  // the bytes as stored
        bool Read() const { return error == kErrorSuccess; }
        bool Absent() const { return error == kErrorFileNotFound; }
        bool Failed() const { return !Read() && !Absent(); }
        bool IsDword() const { return Read() && type == kRegDword && size == 4; }
        bool IsString() const { return Read() && type == kRegSz; }
    };
    // How the batched forms pass value names: through the ANSI code page, as
    // every name goes, or as Unicode, for a name that must have one form on
    // every code page. Unicode-named values hold no text: a text value is
    // not written (ERROR_INVALID_PARAMETER), and one read has no `text`.
    enum class NameForm { Ansi, Unicode };

    // How the batched reads ask for several values: together, in one call
    // for the key (with ANSI names), and one at a time where that fails; or
    // one at a time at once, for values most of which may not exist, where
    // a call for all of them would fail at the first missing one.
    enum class Reading { Together, OneByOne };

    std::vector<Value> ReadRegValues(std::int32_t hKey, const std::string& StrPath,
                                     const std::vector<std::string>& names,
                                     NameForm form = NameForm::Ansi,
                                     Reading reading = Reading::Together);

    // A value to write: a REG_DWORD holding `number`, or a REG_SZ holding
    // `text` with its terminating NUL.
    struct NewValue {
        std::string name;
        bool isText = false;
        std::int32_t number = 0;
        std::string text;
    };
    enum class KeyMode { Create, Existing };
    // Writes the values in order into the key (created with its path first,
    // or with KeyMode::Existing only opened) and reads each one back. The
    // result is 0 when the registry then holds every value as written,
    // ERROR_FILE_NOT_FOUND when an existing key was asked for and there is
    // none (nothing is written), and otherwise the code of the first failure
    // (ERROR_INVALID_DATA when a value reads back otherwise than written).
    long SaveRegValues(std::int32_t hKey, const std::string& StrPath,
                       const std::vector<NewValue>& values, KeyMode mode = KeyMode::Create,
                       NameForm form = NameForm::Ansi);
    // Deletes the values: 0 when none of them exists afterwards (a missing
    // key holds none), otherwise the code of the first failure.
    long DeleteRegValues(std::int32_t hKey, const std::string& StrPath,
                         const std::vector<std::string>& names);

    // The key with everything below it, depth first: each key by its path
    // below `path` (empty for the key itself), and each value with its key,
    // in the order the registry lists them. `error` is 0 when all of it was
    // read, and otherwise the first code that kept a part from being read
    // (ERROR_INVALID_DATA for a value listed but then not found).
    struct TreeValue {
        std::string key;
        std::string name;
        Value value;
    };
    struct Tree {
        long error = kErrorSuccess;
        std::vector<std::string> keys;
        std::vector<TreeValue> values;
    };
    Tree ReadRegTree(std::int32_t hKey, const std::string& path);
    // Copies the key `from` with every value (type and bytes exactly) and
    // every subkey to `to`, and reads each value back from the copy. 0 when
    // the copy is whole; otherwise the code that stopped it, with `from`
    // untouched and what was copied so far left for the caller.
    long CopyRegTree(std::int32_t hKey, const std::string& from, const std::string& to);
    // Deletes the key with everything below it, deepest first: 0 when it is
    // gone (a missing key is), otherwise the code of the first failure.
    long DeleteRegTree(std::int32_t hKey, const std::string& path);

private:
    // A name as the platform call of its form takes it.
    std::string PlatformName(const std::string& name, NameForm form) const;
    // Reads values whose names are in their platform form.
    std::vector<Value> QueryValues(RegKeyHandle key, const std::vector<std::string>& names,
                                   NameForm form, Reading reading);
    Value QueryValue(RegKeyHandle key, const std::string& name, NameForm form = NameForm::Ansi);
    // A value read, from its type and data.
    Value MakeValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size,
                    NameForm form) const;

    enum class Walk { Keys, Values };
    struct Entry {
        std::string name;  // ANSI, cut at its first NUL
        std::uint32_t type = 0;
    };
    // Fetches entry `position` (0-based) of an open key; the platform's code.
    long FetchEntry(RegKeyHandle key, Walk walk, std::uint32_t position, Entry& entry);
    // The names of every subkey or value, fetched by `fetch` (the
    // platform's code) until the first that cannot be.
    template <class Fetch>
    KeyNames ListNames(std::int32_t hKey, const std::string& StrPath, Fetch fetch);
    std::int32_t CountEntries(std::int32_t hKey, const std::string& StrPath, Walk walk);
    bool FindEntry(std::int32_t hKey, const std::string& StrPath, Walk walk, std::int32_t Index,
                   Entry& entry);
    std::string EntryName(std::int32_t hKey, const std::string& StrPath, Walk walk,
                          std::int32_t Index);
    void PumpEvents();

    RegistryApi& api_;
    const AnsiCodePage& codePage_;
    EventPump pump_;
};

}  // namespace vornix
