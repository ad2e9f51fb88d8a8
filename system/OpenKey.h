#pragma once
// One open registry key, closed on every path out of its owner's scope.
#include <cstdint>
#include <string>

#include "system/RegistryApi.h"
#include "system/UniqueHandle.h"

namespace vornix {

using UniqueRegKey = UniqueApiHandle<RegistryApi, RegKeyHandle, &RegistryApi::CloseKey>;

// Opens or creates a key below a root and owns it. A key it already holds is
// closed only once another has opened in its place; after a failed open it
// holds what it held.
class OpenKey {
public:
    explicit OpenKey(RegistryApi& api) : api_(api) {}

    bool Open(std::int32_t root, const std::string& path) {
        return Take(&RegistryApi::OpenKey, root, path);
    }
    bool Create(std::int32_t root, const std::string& path) {
        return Take(&RegistryApi::CreateKey, root, path);
    }
    RegKeyHandle get() const { return key_.get().handle; }
    // The code of the last Open or Create.
    long result() const { return result_; }

private:
    bool Take(long (RegistryApi::*open)(RegKeyHandle, const std::string&, RegKeyHandle*),
              std::int32_t root, const std::string& path) {
        RegKeyHandle key = 0;
        result_ = (api_.*open)(RootHandle(root), path, &key);
        if (result_ != kErrorSuccess) return false;
        key_.reset({&api_, key});
        return true;
    }
    RegistryApi& api_;
    UniqueRegKey key_;
    long result_ = kErrorSuccess;
};

}  // namespace vornix
