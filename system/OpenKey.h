#pragma once
// One open registry key, closed on every path out of its owner's scope.
#include <cstdint>
#include <string>

#include "system/RegistryApi.h"

namespace vornix {

// Owns one open key and closes it on every path out of the caller.
class OpenKey {
public:
    explicit OpenKey(RegistryApi& api) : api_(api) {}
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (open_) api_.CloseKey(key_);
    }

    bool Open(std::int32_t root, const std::string& path) {
        return Take(api_.OpenKey(RootHandle(root), path, &key_));
    }
    bool Create(std::int32_t root, const std::string& path) {
        return Take(api_.CreateKey(RootHandle(root), path, &key_));
    }
    RegKeyHandle get() const { return key_; }
    // The code of the last Open or Create.
    long result() const { return result_; }

private:
    bool Take(long result) {
        result_ = result;
        open_ = result == kErrorSuccess;
        return open_;
    }
    RegistryApi& api_;
    RegKeyHandle key_ = 0;
    bool open_ = false;
    long result_ = kErrorSuccess;
};

}  // namespace vornix
