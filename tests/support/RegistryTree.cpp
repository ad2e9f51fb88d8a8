#include <vector>

#include "support/RegistryBackends.h"

namespace vornix::test {

void DeleteTree(RegistryApi& api, RegKeyHandle root, const std::string& path) {
    RegKeyHandle key = 0;
    if (api.OpenKey(root, path, &key) != kErrorSuccess) return;
    std::vector<std::string> children;
    char name[1024];
    for (std::uint32_t i = 0; api.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i) {
        children.emplace_back(name);
    }
    api.CloseKey(key);
    for (const auto& child : children) DeleteTree(api, root, path + "\\" + child);
    api.DeleteKey(root, path);
}

std::int32_t ValueType(Registry& reg, const std::string& key, const std::string& name) {
    const Registry::Value value = reg.ReadRegValues(kHkeyLocalMachine, key, {name})[0];
    return value.Read() ? static_cast<std::int32_t>(value.type) : kAbsent;
}

}  // namespace vornix::test
