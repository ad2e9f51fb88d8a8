// The Registry class's batched forms: one opening of a key for all the
// entries or values a call handles.
#include <algorithm>
#include <cstring>

#include "system/OpenKey.h"
#include "system/Registry.h"

namespace vornix {
namespace {

std::uint32_t LittleEndian(const std::uint8_t* data) {
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

}  // namespace

std::vector<std::string> Registry::SubKeyNames(std::int32_t hKey, const std::string& StrPath) {
    std::vector<std::string> names;
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return names;
    char name[kNameBufferSize];
    // An entry that cannot be fetched ends the list, as it ends the walk.
    for (std::uint32_t i = 0;
         api_.EnumKey(key.get(), i, name, kNameBufferSize) == kErrorSuccess; ++i) {
        const void* nul = std::memchr(name, '\0', kNameBufferSize);
        const std::size_t length =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : kNameBufferSize;
        names.push_back(codePage_.FromAnsi(std::string_view(name, length)));
        PumpEvents();
    }
    return names;
}

Registry::Value Registry::QueryValue(RegKeyHandle key, const std::string& ansiName) {
    // Most values are small: one query into a fixed buffer, a second one
    // only for data that does not fit.
    std::vector<std::uint8_t> data(64);
    std::uint32_t type = 0;
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    long result = api_.QueryValue(key, ansiName, &type, data.data(), &size);
    if (result == kErrorMoreData) {
        data.resize(size);
        result = api_.QueryValue(key, ansiName, &type, data.data(), &size);
    }
    Value value;
    if (result != kErrorSuccess) return value;
    value.type = static_cast<std::int32_t>(type);
    value.size = size;
    if (type == kRegDword && size == 4) value.number = static_cast<std::int32_t>(LittleEndian(data.data()));
    if (type == kRegSz) {
        const std::size_t length = std::min<std::size_t>(size, data.size());
        const void* nul = std::memchr(data.data(), '\0', length);
        const std::size_t text = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data.data())
                                     : length;
        value.text = codePage_.FromAnsi(
            std::string_view(reinterpret_cast<const char*>(data.data()), text));
    }
    return value;
}

std::vector<Registry::Value> Registry::ReadRegValues(std::int32_t hKey, const std::string& StrPath,
                                                     const std::vector<std::string>& names) {
    std::vector<Value> values(names.size());
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return values;
    for (std::size_t i = 0; i < names.size(); ++i) {
        values[i] = QueryValue(key.get(), codePage_.ToAnsi(names[i]));
    }
    return values;
}

bool Registry::SaveRegValues(std::int32_t hKey, const std::string& StrPath,
                             const std::vector<NewValue>& values) {
    OpenKey key(api_);
    if (!key.Create(hKey, codePage_.ToAnsi(StrPath))) return false;
    bool written = true;
    std::vector<std::string> names;
    for (const NewValue& v : values) {
        names.push_back(codePage_.ToAnsi(v.name));
        if (v.isText) {
            const std::string data = codePage_.ToAnsi(v.text);
            written = api_.SetValue(key.get(), names.back(), kRegSz,
                                    reinterpret_cast<const std::uint8_t*>(data.c_str()),
                                    static_cast<std::uint32_t>(data.size() + 1)) == kErrorSuccess &&
                      written;
        } else {
            const auto bits = static_cast<std::uint32_t>(v.number);
            const std::uint8_t data[4] = {
                static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
            written = api_.SetValue(key.get(), names.back(), kRegDword, data, sizeof data) ==
                          kErrorSuccess &&
                      written;
        }
    }
    // Read back: what counts is what the registry holds now.
    for (std::size_t i = 0; i < values.size() && written; ++i) {
        const Value back = QueryValue(key.get(), names[i]);
        written = values[i].isText ? back.IsString() && back.text == values[i].text
                                   : back.IsDword() && back.number == values[i].number;
    }
    return written;
}

bool Registry::DeleteRegValues(std::int32_t hKey, const std::string& StrPath,
                               const std::vector<std::string>& names) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) {
        // No key holds no values; a key that exists but cannot be opened may.
        return key.result() == kErrorFileNotFound;
    }
    bool gone = true;
    for (const std::string& name : names) {
        const std::string ansi = codePage_.ToAnsi(name);
        api_.DeleteValue(key.get(), ansi);
        gone = QueryValue(key.get(), ansi).type == kValueAbsent && gone;
    }
    return gone;
}

}  // namespace vornix
