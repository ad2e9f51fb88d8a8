// Writes the tuning set into the registry locations the running Windows
// family reads. Every value is read back; the result says whether the
// registry now holds all of them.
#include <string>
#include <vector>

#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

std::vector<Registry::NewValue> Values(Family family, const TuningSet& tuning,
                                       std::span<const TcpipValue> values) {
    std::vector<Registry::NewValue> out;
    for (const TcpipValue& v : values) out.push_back(NumberValue(family, v.name, tuning.*v.member));
    return out;
}

}  // namespace

bool Form1::ApplyTuning() {
    lastFailure_.clear();
    const std::optional<Family> family = RunningFamily();
    if (!family) return false;
    const FamilyLocations& where = LocationsOf(*family);
    Registry& reg = objReg();
    // The interfaces are listed once; those that come or go meanwhile do not
    // change the list.
    const Registry::KeyNames interfaces = ListInterfaces(reg, *family);
    if (interfaces.error != kErrorSuccess) {
        Fail(text::Naming(text::kReasonReadFailed, kInterfacesKey));
        return false;
    }
    // A value that cannot be written does not stop the others.
    bool written = true;
    auto write = [&](const std::string& key, const std::vector<Registry::NewValue>& values,
                     Registry::KeyMode mode) {
        const long result = reg.SaveRegValues(kHkeyLocalMachine, key, values, mode);
        // An interface that went away after it was listed is left alone:
        // interface keys are opened, never created.
        if (result == kErrorSuccess ||
            (result == kErrorFileNotFound && mode == Registry::KeyMode::Existing)) {
            return;
        }
        NoteWrite(result);
        written = false;
    };
    const auto interfaceValues = Values(*family, tuning_, where.interfaceValues);
    for (const std::string& name : interfaces.names) {
        write(InterfaceKey(name), interfaceValues, Registry::KeyMode::Existing);
    }
    for (const TcpipKey& key : where.keys) {
        write(key.path, Values(*family, tuning_, key.values), Registry::KeyMode::Create);
    }
    if (!written) {
        Fail(text::kReasonWriteRefused);
        return false;
    }
    return true;
}

}  // namespace vornix
