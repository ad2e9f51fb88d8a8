#pragma once
// A RegistryApi that passes every call on to another one and counts them, so
// the registry calls of any backend (the real registry too) can be measured.
#include <cstdint>
#include <string>

#include "system/RegistryApi.h"

namespace vornix::test {

class CountingRegistryApi final : public RegistryApi {
public:
    explicit CountingRegistryApi(RegistryApi& inner) : inner_(inner) {}

    long OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override {
        ++calls_;
        return inner_.OpenKey(root, path, out);
    }
    long CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override {
        ++calls_;
        return inner_.CreateKey(root, path, out);
    }
    long QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* size) override {
        ++calls_;
        return inner_.QueryValue(key, name, type, data, size);
    }
    long SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size) override {
        ++calls_;
        return inner_.SetValue(key, name, type, data, size);
    }
    long QueryValues(RegKeyHandle key, std::vector<ValueEntry>& entries, std::uint8_t* data,
                     std::uint32_t* size) override {
        ++calls_;
        return inner_.QueryValues(key, entries, data, size);
    }
    long QueryValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override {
        ++calls_;
        return inner_.QueryValueUnicode(key, name, type, data, size);
    }
    long SetValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override {
        ++calls_;
        return inner_.SetValueUnicode(key, name, type, data, size);
    }
    long EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                 std::uint32_t nameSize) override {
        ++calls_;
        ++enumCalls_;
        return inner_.EnumKey(key, index, name, nameSize);
    }
    long EnumValue(RegKeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                   std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
        ++calls_;
        ++enumCalls_;
        return inner_.EnumValue(key, index, name, nameSize, type, data, dataSize);
    }
    long DeleteKey(RegKeyHandle root, const std::string& path) override {
        ++calls_;
        return inner_.DeleteKey(root, path);
    }
    long DeleteValue(RegKeyHandle key, const std::string& name) override {
        ++calls_;
        return inner_.DeleteValue(key, name);
    }
    long CloseKey(RegKeyHandle key) override {
        ++calls_;
        return inner_.CloseKey(key);
    }

    std::uint64_t calls() const { return calls_; }
    // EnumKey and EnumValue calls alone.
    std::uint64_t enumCalls() const { return enumCalls_; }
    void Reset() { calls_ = enumCalls_ = 0; }

private:
    RegistryApi& inner_;
    std::uint64_t calls_ = 0;
    std::uint64_t enumCalls_ = 0;
};

}  // namespace vornix::test
