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

}  // namespace vornix::test
