#include <vector>

#include "engine/TcpipValues.h"
#include "support/DesignFacts.h"
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

void CleanMachine(Registry& reg, const std::vector<std::string>& testInterfaces) {
    reg.DeleteRegTree(kHkeyLocalMachine, design::kProductKey);
    for (const std::string& name : testInterfaces) reg.DeleteRegTree(kHkeyLocalMachine, InterfaceKey(name));
    for (const Family family : {Family::Win9x, Family::NT}) {
        const FamilyLocations& where = LocationsOf(family);
        for (const TcpipKey& key : where.keys) reg.DeleteRegValues(kHkeyLocalMachine, key.path, NamesOf(key.values));
        if (where.interfaceValues.empty()) continue;
        for (const std::string& name : reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey).names) {
            reg.DeleteRegValues(kHkeyLocalMachine, InterfaceKey(name), NamesOf(where.interfaceValues));
        }
    }
    for (const std::string& key : {std::string(kNetTransKey) + "\\0000", std::string(kMstcpKey),
                                   std::string(kTcpipParametersKey)}) {
        reg.CreateRegKey(kHkeyLocalMachine, key);
    }
}

std::int32_t ValueType(Registry& reg, const std::string& key, const std::string& name) {
    const Registry::Value value = reg.ReadRegValues(kHkeyLocalMachine, key, {name})[0];
    return value.Read() ? static_cast<std::int32_t>(value.type) : kAbsent;
}

}  // namespace vornix::test
