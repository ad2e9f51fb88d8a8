#pragma once
// One open registry key, closed on every path out of its owner's scope.
#include <cstdint>
#include <string>

#include "system/RegistryApi.h"

namespace vornix {

// Owns one open key and closes it on every path out of the caller. Opening
// again first closes the key it holds.
class OpenKey {
public:
    explicit OpenKey(RegistryApi& api) : api_(api) {}
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() { Close(); }

    bool Open(std::int32_t root, const std::string& path) {
        Close();
        RegKeyHandle key = 0;
        const long result = api_.OpenKey(RootHandle(root), path, &key);
        return Take(result, key);
    }
    bool Create(std::int32_t root, const std::string& path) {
        Close();
        RegKeyHandle key = 0;
        const long result = api_.CreateKey(RootHandle(root), path, &key);
        return Take(result, key);
    }
    RegKeyHandle get() const { return key_; }
    // The code of the last Open or Create.
    long result() const { return result_; }

private:
    void Close() {
        if (open_) api_.CloseKey(key_);
        open_ = false;
        key_ = 0;
    }
    bool Take(long result, RegKeyHandle key) {
        result_ = result;
        open_ = result == kErrorSuccess;
        if (open_) key_ = key;
        return open_;
    }
    RegistryApi& api_;
    RegKeyHandle key_ = 0;
    bool open_ = false;
    long result_ = kErrorSuccess;
};

}  // namespace vornix
