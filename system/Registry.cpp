#include "system/Registry.h"

#include "system/OpenKey.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace vornix {
namespace {

std::string CutAtNul(const char* text, std::size_t size) {
    const void* nul = std::memchr(text, '\0', size);
    return std::string(text, nul ? static_cast<const char*>(nul) - text : size);
}

}  // namespace

Registry::Registry(RegistryApi& api, const AnsiCodePage& codePage, EventPump pump)
    : api_(api), codePage_(codePage), pump_(std::move(pump)) {}

void Registry::PumpEvents() {
    if (pump_) pump_();
}

bool Registry::CreateRegKey(std::int32_t hKey, const std::string& StrPath) {
    OpenKey key(api_);
    return key.Create(hKey, codePage_.ToAnsi(StrPath));
}

std::string Registry::ReadRegString(std::int32_t hKey, const std::string& StrPath,
                                    const std::string& strValue) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return {};
    const std::string name = codePage_.ToAnsi(strValue);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (api_.QueryValue(key.get(), name, &type, nullptr, &size) != kErrorSuccess ||
        type != kRegSz) {
        return {};
    }
    std::vector<std::uint8_t> buffer(size, ' ');
    if (api_.QueryValue(key.get(), name, &type, buffer.data(), &size) != kErrorSuccess ||
        type != kRegSz) {
        return {};
    }
    // Text stored without a NUL is taken whole, but only as far as the data
    // the second query returned: the padding of the buffer is not text.
    if (size > buffer.size()) size = static_cast<std::uint32_t>(buffer.size());
    return codePage_.FromAnsi(CutAtNul(reinterpret_cast<const char*>(buffer.data()), size));
}

void Registry::SaveRegString(std::int32_t hKey, const std::string& StrPath,
                             const std::string& strValue, const std::string& strdata) {
    OpenKey key(api_);
    if (!key.Create(hKey, codePage_.ToAnsi(StrPath))) return;
    const std::string data = codePage_.ToAnsi(strdata);
    api_.SetValue(key.get(), codePage_.ToAnsi(strValue), kRegSz,
                  reinterpret_cast<const std::uint8_t*>(data.c_str()),
                  static_cast<std::uint32_t>(data.size() + 1));
}

std::int32_t Registry::ReadRegWord(std::int32_t hKey, const std::string& StrPath,
                                   const std::string& strValueName) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return 0;
    std::uint8_t data[4] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof data;
    if (api_.QueryValue(key.get(), codePage_.ToAnsi(strValueName), &type, data, &size) !=
            kErrorSuccess ||
        type != kRegDword) {
        return 0;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(data[0]) |
                               static_cast<std::uint32_t>(data[1]) << 8 |
                               static_cast<std::uint32_t>(data[2]) << 16 |
                               static_cast<std::uint32_t>(data[3]) << 24;
    return static_cast<std::int32_t>(bits);
}

void Registry::SaveRegWord(std::int32_t hKey, const std::string& StrPath,
                           const std::string& strValueName, std::int32_t lData) {
    OpenKey key(api_);
    if (!key.Create(hKey, codePage_.ToAnsi(StrPath))) return;
    const auto bits = static_cast<std::uint32_t>(lData);
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    api_.SetValue(key.get(), codePage_.ToAnsi(strValueName), kRegDword, data, sizeof data);
}

void Registry::DeleteRegKey(std::int32_t hKey, const std::string& strKey) {
    api_.DeleteKey(RootHandle(hKey), codePage_.ToAnsi(strKey));
}

void Registry::DeleteRegValue(std::int32_t hKey, const std::string& StrPath,
                              const std::string& strValue) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return;
    api_.DeleteValue(key.get(), codePage_.ToAnsi(strValue));
}

bool Registry::FetchEntry(RegKeyHandle key, Walk walk, std::uint32_t position, Entry& entry) {
    char name[kNameBufferSize];
    if (walk == Walk::Keys) {
        if (api_.EnumKey(key, position, name, kNameBufferSize) != kErrorSuccess) return false;
        entry.name = CutAtNul(name, kNameBufferSize);
        entry.type = 0;
        return true;
    }
    // Both sizes are set afresh before each fetch.
    std::vector<std::uint8_t> data(kDataBufferSize);
    std::uint32_t nameSize = kNameBufferSize;
    std::uint32_t dataSize = kDataBufferSize;
    std::uint32_t type = 0;
    if (api_.EnumValue(key, position, name, &nameSize, &type, data.data(), &dataSize) !=
        kErrorSuccess) {
        return false;
    }
    entry.name = CutAtNul(name, nameSize < kNameBufferSize ? nameSize + 1 : kNameBufferSize);
    entry.type = type;
    return true;
}

std::optional<std::uint32_t> Registry::DirectCount(RegKeyHandle key, Walk walk) {
    // The key's information gives name lengths in UTF-16 code units and data
    // lengths as stored, with string data in UTF-16. No ANSI code page takes
    // more than 3 bytes for one UTF-16 code unit (UTF-8 takes 3 for a BMP
    // character and 4 for a surrogate pair), so a name of at most 84 units
    // fits the name buffer with its NUL, and stored data of at most 2666
    // bytes fits the data buffer in its ANSI form. Longer ones may fit too,
    // but only fetching them tells: those keys are walked.
    constexpr std::uint32_t kMaxAnsiBytesPerUnit = 3;
    constexpr std::uint32_t kSafeNameUnits = (kNameBufferSize - 1) / kMaxAnsiBytesPerUnit;
    constexpr std::uint32_t kSafeDataBytes = kDataBufferSize * 2 / kMaxAnsiBytesPerUnit;
    std::uint32_t subKeys = 0, maxSubKeyName = 0, values = 0, maxValueName = 0, maxData = 0;
    if (api_.QueryInfoKey(key, &subKeys, &maxSubKeyName, &values, &maxValueName, &maxData) !=
        kErrorSuccess) {
        return std::nullopt;
    }
    if (walk == Walk::Keys) {
        if (maxSubKeyName > kSafeNameUnits) return std::nullopt;
        return subKeys;
    }
    if (maxValueName > kSafeNameUnits || maxData > kSafeDataBytes) return std::nullopt;
    return values;
}

// Events and the direct path: the walk runs the pump after every entry it
// fetches, so a caller walking n entries one position at a time saw about
// n*n/2 pumps. On the direct path a call does a fixed amount of registry
// work, so one pump per call keeps the window as responsive as the walk did
// (never more than a few registry calls between two pumps) without the
// quadratic number of pumps. A call pumps exactly when the walk would have
// pumped at least once: a count when there is at least one entry, a lookup
// of Index >= 2 when there is at least one entry before it. The pump runs
// after the key is closed, so a handler it dispatches finds no key of ours
// open.
std::int32_t Registry::CountEntries(std::int32_t hKey, const std::string& StrPath, Walk walk) {
    std::int32_t count = 0;
    {
        OpenKey key(api_);
        if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return 0;
        if (const auto direct = DirectCount(key.get(), walk)) {
            count = static_cast<std::int32_t>(
                std::min<std::uint32_t>(*direct, std::numeric_limits<std::int32_t>::max()));
        } else {
            Entry entry;
            while (FetchEntry(key.get(), walk, static_cast<std::uint32_t>(count), entry)) {
                ++count;
                PumpEvents();
            }
            return count;
        }
    }
    if (count > 0) PumpEvents();
    return count;
}

bool Registry::FindEntry(std::int32_t hKey, const std::string& StrPath, Walk walk,
                         std::int32_t Index, Entry& entry) {
    if (Index <= 0) return false;
    bool found = false;
    bool pump = false;
    {
        OpenKey key(api_);
        if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return false;
        // The first entry costs one fetch on either path.
        if (Index == 1) return FetchEntry(key.get(), walk, 0, entry);
        const auto direct = DirectCount(key.get(), walk);
        if (!direct) {
            // Walk from the first entry: an entry that cannot be fetched ends
            // the walk, so everything after it reads as past the end.
            for (std::int32_t i = 1;; ++i) {
                if (!FetchEntry(key.get(), walk, static_cast<std::uint32_t>(i - 1), entry)) {
                    return false;
                }
                if (i == Index) return true;
                PumpEvents();
            }
        }
        found = FetchEntry(key.get(), walk, static_cast<std::uint32_t>(Index - 1), entry);
        pump = *direct > 0;
    }
    if (pump) PumpEvents();
    return found;
}

std::int32_t Registry::SubKeyCount(std::int32_t hKey, const std::string& StrPath) {
    return CountEntries(hKey, StrPath, Walk::Keys);
}

std::string Registry::SubKeyName(std::int32_t hKey, const std::string& StrPath,
                                 std::int32_t Index) {
    Entry entry;
    return FindEntry(hKey, StrPath, Walk::Keys, Index, entry) ? codePage_.FromAnsi(entry.name)
                                                              : std::string();
}

std::int32_t Registry::SubValueCount(std::int32_t hKey, const std::string& StrPath) {
    return CountEntries(hKey, StrPath, Walk::Values);
}

std::string Registry::SubValueName(std::int32_t hKey, const std::string& StrPath,
                                   std::int32_t Index) {
    Entry entry;
    return FindEntry(hKey, StrPath, Walk::Values, Index, entry) ? codePage_.FromAnsi(entry.name)
                                                                : std::string();
}

std::string Registry::SubValueType(std::int32_t hKey, const std::string& StrPath,
                                   std::int32_t Index) {
    Entry entry;
    if (!FindEntry(hKey, StrPath, Walk::Values, Index, entry)) return {};
    switch (entry.type) {
        case kRegSz: return "UNI";
        case kRegBinary: return "BIN";
        case kRegDword: return "WRD";
        default: return {};
    }
}

std::int32_t Registry::ReadRegType(std::int32_t hKey, const std::string& StrPath,
                                   const std::string& strValue, std::uint32_t* size) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return kValueAbsent;
    std::uint32_t type = 0;
    std::uint32_t bytes = 0;
    if (api_.QueryValue(key.get(), codePage_.ToAnsi(strValue), &type, nullptr, &bytes) !=
        kErrorSuccess) {
        return kValueAbsent;
    }
    if (size) *size = bytes;
    return static_cast<std::int32_t>(type);
}

}  // namespace vornix
