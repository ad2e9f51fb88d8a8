#include "system/Registry.h"

#include "system/OpenKey.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vornix {
namespace {

// The text before the first NUL, or all `size` bytes when there is none.
std::string CutAtNul(const char* text, std::size_t size) {
    if (size == 0) return {};
    const void* nul = std::memchr(text, '\0', size);
    return std::string(text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                                 : size);
}

std::int32_t LittleEndian(const std::uint8_t* data) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
}

// A value that `error` kept from being read.
Registry::Value NotRead(long error) {
    Registry::Value value;
    value.error = error;
    return value;
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

// The classic reads and writes go through the batched forms: one way to
// read a value, one to encode and write it.

std::string Registry::ReadRegString(std::int32_t hKey, const std::string& StrPath,
                                    const std::string& strValue) {
    const Value value = ReadRegValues(hKey, StrPath, {strValue})[0];
    return value.IsString() ? value.text : std::string();
}

void Registry::SaveRegString(std::int32_t hKey, const std::string& StrPath,
                             const std::string& strValue, const std::string& strdata) {
    SaveRegValues(hKey, StrPath, {{strValue, true, 0, strdata}});
}

std::int32_t Registry::ReadRegWord(std::int32_t hKey, const std::string& StrPath,
                                   const std::string& strValueName) {
    // Whatever a 4-byte buffer takes of a REG_DWORD: up to 4 bytes of it.
    const Value value = ReadRegValues(hKey, StrPath, {strValueName})[0];
    return value.Read() && value.type == kRegDword && value.size <= 4 ? value.number : 0;
}

void Registry::SaveRegWord(std::int32_t hKey, const std::string& StrPath,
                           const std::string& strValueName, std::int32_t lData) {
    SaveRegValues(hKey, StrPath, {{strValueName, false, lData, {}}});
}

void Registry::DeleteRegKey(std::int32_t hKey, const std::string& strKey) {
    api_.DeleteKey(RootHandle(hKey), codePage_.ToAnsi(strKey));
}

void Registry::DeleteRegValue(std::int32_t hKey, const std::string& StrPath,
                              const std::string& strValue) {
    DeleteRegValues(hKey, StrPath, {strValue});
}

long Registry::FetchEntry(RegKeyHandle key, Walk walk, std::uint32_t position, Entry& entry) {
    char name[kNameBufferSize];
    if (walk == Walk::Keys) {
        const long result = api_.EnumKey(key, position, name, kNameBufferSize);
        if (result != kErrorSuccess) return result;
        entry.name = CutAtNul(name, kNameBufferSize);
        entry.type = 0;
        return result;
    }
    // Both sizes are set afresh before each fetch.
    std::vector<std::uint8_t> data(kDataBufferSize);
    std::uint32_t nameSize = kNameBufferSize;
    std::uint32_t dataSize = kDataBufferSize;
    std::uint32_t type = 0;
    const long result =
        api_.EnumValue(key, position, name, &nameSize, &type, data.data(), &dataSize);
    if (result != kErrorSuccess) return result;
    entry.name = CutAtNul(name, nameSize < kNameBufferSize ? nameSize + 1 : kNameBufferSize);
    entry.type = type;
    return result;
}

std::int32_t Registry::CountEntries(std::int32_t hKey, const std::string& StrPath, Walk walk) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return 0;
    std::int32_t count = 0;
    Entry entry;
    while (FetchEntry(key.get(), walk, static_cast<std::uint32_t>(count), entry) ==
           kErrorSuccess) {
        ++count;
        PumpEvents();
    }
    return count;
}

bool Registry::FindEntry(std::int32_t hKey, const std::string& StrPath, Walk walk,
                         std::int32_t Index, Entry& entry) {
    if (Index <= 0) return false;
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) return false;
    for (std::int32_t i = 1;; ++i) {
        if (FetchEntry(key.get(), walk, static_cast<std::uint32_t>(i - 1), entry) !=
            kErrorSuccess) {
            return false;
        }
        if (i == Index) return true;
        PumpEvents();
    }
}

std::int32_t Registry::SubKeyCount(std::int32_t hKey, const std::string& StrPath) {
    return CountEntries(hKey, StrPath, Walk::Keys);
}

std::string Registry::EntryName(std::int32_t hKey, const std::string& StrPath, Walk walk,
                                std::int32_t Index) {
    Entry entry;
    return FindEntry(hKey, StrPath, walk, Index, entry) ? codePage_.FromAnsi(entry.name)
                                                        : std::string();
}

std::string Registry::SubKeyName(std::int32_t hKey, const std::string& StrPath,
                                 std::int32_t Index) {
    return EntryName(hKey, StrPath, Walk::Keys, Index);
}

std::int32_t Registry::SubValueCount(std::int32_t hKey, const std::string& StrPath) {
    return CountEntries(hKey, StrPath, Walk::Values);
}

std::string Registry::SubValueName(std::int32_t hKey, const std::string& StrPath,
                                   std::int32_t Index) {
    return EntryName(hKey, StrPath, Walk::Values, Index);
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

// The batched forms.

template <class Fetch>
Registry::KeyNames Registry::ListNames(std::int32_t hKey, const std::string& StrPath, Fetch fetch) {
    KeyNames list;
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) {
        list.error = key.result();
        return list;
    }
    for (std::uint32_t i = 0;; ++i) {
        std::string name;
        const long result = fetch(key.get(), i, name);
        if (result != kErrorSuccess) {
            list.error = result == kErrorNoMoreItems ? kErrorSuccess : result;
            return list;
        }
        list.names.push_back(codePage_.FromAnsi(name));
        PumpEvents();
    }
}

Registry::KeyNames Registry::SubKeyNames(std::int32_t hKey, const std::string& StrPath) {
    return ListNames(hKey, StrPath, [this](RegKeyHandle key, std::uint32_t i, std::string& name) {
        Entry entry;
        const long result = FetchEntry(key, Walk::Keys, i, entry);
        name = entry.name;
        return result;
    });
}

Registry::KeyNames Registry::ValueNames(std::int32_t hKey, const std::string& StrPath) {
    return ListNames(hKey, StrPath, [this](RegKeyHandle key, std::uint32_t i, std::string& name) {
        char buffer[kNameBufferSize];
        std::uint32_t size = kNameBufferSize;
        const long result = api_.EnumValue(key, i, buffer, &size, nullptr, nullptr, nullptr);
        if (result == kErrorSuccess) name = CutAtNul(buffer, kNameBufferSize);
        return result;
    });
}

std::string Registry::PlatformName(const std::string& name, NameForm form) const {
    return form == NameForm::Ansi ? codePage_.ToAnsi(name) : name;
}

Registry::Value Registry::MakeValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size,
                                   NameForm form) const {
    Value value;
    value.error = kErrorSuccess;
    value.type = type;
    value.size = size;
    value.data.assign(data, data + size);
    // A DWORD's number; a short one's bytes padded with zeros.
    if (type == kRegDword && size <= 4) {
        std::uint8_t bytes[4] = {};
        std::copy(data, data + size, bytes);
        value.number = LittleEndian(bytes);
    }
    if (type == kRegSz && form == NameForm::Ansi) {
        value.text = codePage_.FromAnsi(CutAtNul(reinterpret_cast<const char*>(data), size));
    }
    return value;
}

Registry::Value Registry::QueryValue(RegKeyHandle key, const std::string& name, NameForm form) {
    auto query = [&](std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
        return form == NameForm::Ansi ? api_.QueryValue(key, name, type, data, size)
                                      : api_.QueryValueUnicode(key, name, type, data, size);
    };
    // Most values are small: one query into a fixed buffer, more only for
    // data that does not fit (or grew between two queries).
    std::vector<std::uint8_t> data(64);
    std::uint32_t type = 0;
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    long result = query(&type, data.data(), &size);
    for (int attempt = 0; result == kErrorMoreData && attempt < 3; ++attempt) {
        data.resize(size);
        result = query(&type, data.data(), &size);
    }
    if (result != kErrorSuccess) return NotRead(result);
    return MakeValue(type, data.data(), std::min<std::uint32_t>(size, static_cast<std::uint32_t>(data.size())), form);
}

std::vector<Registry::Value> Registry::QueryValues(RegKeyHandle key, const std::vector<std::string>& names,
                                                   NameForm form, Reading reading) {
    if (reading == Reading::Together && form == NameForm::Ansi && names.size() > 1) {
        std::vector<RegistryApi::ValueEntry> entries;
        for (const std::string& name : names) entries.push_back({name});
        // Room for a few lists of names (the store's own values) at once,
        // so that the usual read takes one call.
        std::vector<std::uint8_t> data(std::max<std::size_t>(1024, 64 * names.size()));
        std::uint32_t size = static_cast<std::uint32_t>(data.size());
        long result = api_.QueryValues(key, entries, data.data(), &size);
        for (int attempt = 0; result == kErrorMoreData && attempt < 3; ++attempt) {
            data.resize(std::max<std::uint32_t>(size, 1));
            result = api_.QueryValues(key, entries, data.data(), &size);
        }
        auto inside = [&](const RegistryApi::ValueEntry& e) {
            return e.offset <= data.size() && e.size <= data.size() - e.offset;
        };
        if (result == kErrorSuccess && std::all_of(entries.begin(), entries.end(), inside)) {
            std::vector<Value> values;
            for (const auto& e : entries) values.push_back(MakeValue(e.type, data.data() + e.offset, e.size, form));
            return values;
        }
        // What keeps an open key's values from being read keeps all of
        // them; anything else (a value that does not exist, a Windows that
        // cannot read them together) is asked of each value.
        if (result == kErrorAccessDenied || result == kErrorInvalidHandle || result == kErrorKeyDeleted) {
            return std::vector<Value>(names.size(), NotRead(result));
        }
    }
    std::vector<Value> values;
    for (const std::string& name : names) values.push_back(QueryValue(key, name, form));
    return values;
}

std::vector<Registry::Value> Registry::ReadRegValues(std::int32_t hKey, const std::string& StrPath,
                                                     const std::vector<std::string>& names,
                                                     NameForm form, Reading reading) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) {
        // No key: every value is absent. A key that exists but cannot be
        // opened: none could be read.
        return std::vector<Value>(names.size(), NotRead(key.result()));
    }
    std::vector<std::string> platformNames;
    for (const std::string& name : names) platformNames.push_back(PlatformName(name, form));
    return QueryValues(key.get(), platformNames, form, reading);
}

long Registry::SaveRegValues(std::int32_t hKey, const std::string& StrPath,
                             const std::vector<NewValue>& values, KeyMode mode, NameForm form) {
    if (form == NameForm::Unicode &&
        std::any_of(values.begin(), values.end(), [](const NewValue& v) { return v.isText; })) {
        return kErrorInvalidParameter;
    }
    OpenKey key(api_);
    const std::string path = codePage_.ToAnsi(StrPath);
    if (!(mode == KeyMode::Create ? key.Create(hKey, path) : key.Open(hKey, path))) {
        return key.result();
    }
    long first = kErrorSuccess;
    std::vector<std::string> names;
    for (const NewValue& v : values) {
        names.push_back(PlatformName(v.name, form));
        long result;
        if (v.isText) {
            const std::string data = codePage_.ToAnsi(v.text);
            result = api_.SetValue(key.get(), names.back(), kRegSz,
                                   reinterpret_cast<const std::uint8_t*>(data.c_str()),
                                   static_cast<std::uint32_t>(data.size() + 1));
        } else {
            const auto bits = static_cast<std::uint32_t>(v.number);
            const std::uint8_t data[4] = {
                static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
            result = form == NameForm::Ansi
                         ? api_.SetValue(key.get(), names.back(), kRegDword, data, sizeof data)
                         : api_.SetValueUnicode(key.get(), names.back(), kRegDword, data,
                                                sizeof data);
        }
        if (first == kErrorSuccess) first = result;
    }
    // Read back: what counts is what the registry holds now.
    if (first != kErrorSuccess) return first;
    const std::vector<Value> back = QueryValues(key.get(), names, form, Reading::Together);
    for (std::size_t i = 0; i < values.size() && first == kErrorSuccess; ++i) {
        if (back[i].Failed()) {
            first = back[i].error;
        } else if (values[i].isText ? !(back[i].IsString() && back[i].text == values[i].text)
                                    : !(back[i].IsDword() && back[i].number == values[i].number)) {
            first = kErrorInvalidData;
        }
    }
    return first;
}

long Registry::DeleteRegValues(std::int32_t hKey, const std::string& StrPath,
                               const std::vector<std::string>& names) {
    OpenKey key(api_);
    if (!key.Open(hKey, codePage_.ToAnsi(StrPath))) {
        // No key holds no values; a key that exists but cannot be opened may.
        return key.result() == kErrorFileNotFound ? kErrorSuccess : key.result();
    }
    long first = kErrorSuccess;
    for (const std::string& name : names) {
        const std::string ansi = codePage_.ToAnsi(name);
        const long deleted = api_.DeleteValue(key.get(), ansi);
        // Gone is what counts: a value the registry deleted, or did not
        // find, is gone; after any other answer it is looked for, and one
        // still there, or one that cannot be looked at, is a failure.
        long result = kErrorSuccess;
        if (deleted != kErrorSuccess && deleted != kErrorFileNotFound) {
            const Value after = QueryValue(key.get(), ansi);
            result = after.Absent() ? kErrorSuccess : after.Failed() ? after.error : deleted;
        }
        if (first == kErrorSuccess) first = result;
    }
    return first;
}

// Whole trees.

Registry::Tree Registry::ReadRegTree(std::int32_t hKey, const std::string& path) {
    Tree tree;
    auto note = [&](long error) {
        if (tree.error == kErrorSuccess) tree.error = error;
    };
    auto read = [&](auto& self, const std::string& key) -> void {
        const std::string full = key.empty() ? path : path.empty() ? key : path + "\\" + key;
        const KeyNames names = ValueNames(hKey, full);
        note(names.error);
        if (names.error == kErrorFileNotFound) return;
        tree.keys.push_back(key);
        const std::vector<Value> values = ReadRegValues(hKey, full, names.names);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!values[i].Read()) note(values[i].Absent() ? kErrorInvalidData : values[i].error);
            tree.values.push_back({key, names.names[i], values[i]});
        }
        const KeyNames subkeys = SubKeyNames(hKey, full);
        note(subkeys.error);
        for (const std::string& name : subkeys.names) self(self, key.empty() ? name : key + "\\" + name);
    };
    read(read, {});
    return tree;
}

long Registry::CopyRegTree(std::int32_t hKey, const std::string& from, const std::string& to) {
    // Every value is read before the copy is made, and must read back the
    // same from it: a name the code page cannot carry fails here.
    const Tree tree = ReadRegTree(hKey, from);
    if (tree.error != kErrorSuccess) return tree.error;
    for (const std::string& key : tree.keys) {
        OpenKey copy(api_);
        if (!copy.Create(hKey, codePage_.ToAnsi(key.empty() ? to : to + "\\" + key))) return copy.result();
        for (const TreeValue& v : tree.values) {
            const long result = v.key != key ? kErrorSuccess
                                             : api_.SetValue(copy.get(), codePage_.ToAnsi(v.name), v.value.type,
                                                             v.value.data.data(), v.value.size);
            if (result != kErrorSuccess) return result;
        }
    }
    const Tree copied = ReadRegTree(hKey, to);
    if (copied.error != kErrorSuccess) return copied.error;
    for (const TreeValue& v : tree.values) {
        const auto at = std::find_if(copied.values.begin(), copied.values.end(),
                                     [&](const TreeValue& c) { return c.key == v.key && c.name == v.name; });
        if (at == copied.values.end() || at->value.type != v.value.type || at->value.data != v.value.data) {
            return kErrorInvalidData;
        }
    }
    return kErrorSuccess;
}

long Registry::DeleteRegTree(std::int32_t hKey, const std::string& path) {
    const KeyNames subkeys = SubKeyNames(hKey, path);
    if (subkeys.error == kErrorFileNotFound) return kErrorSuccess;
    if (subkeys.error != kErrorSuccess) return subkeys.error;
    for (const std::string& name : subkeys.names) {
        if (const long result = DeleteRegTree(hKey, path + "\\" + name)) return result;
    }
    const long result = api_.DeleteKey(RootHandle(hKey), codePage_.ToAnsi(path));
    return result == kErrorFileNotFound ? kErrorSuccess : result;
}

}  // namespace vornix
