// Writes the tuning set into the registry locations the running Windows
// family reads. Every value is read back; the result says whether the
// registry now holds all of them, and the run keeps which it wrote.
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
    const std::optional<FamilyStep> step = StartFamilyStep();
    if (!step) return false;
    const auto& [family, where, interfaces] = *step;
    written_.clear();
    // A value that cannot be written does not stop the others.
    bool written = true;
    auto write = [&](const std::string& key, std::span<const TcpipValue> values,
                     const std::vector<Registry::NewValue>& newValues, Registry::KeyMode mode) {
        const bool inInterface = mode == Registry::KeyMode::Existing;
        const long result = objReg().SaveRegValues(kHkeyLocalMachine, key, newValues, mode);
        if (result == kErrorSuccess) {
            for (const TcpipValue& v : values) written_.push_back({inInterface, v.name});
            return;
        }
        // An interface that went away after it was listed is left alone:
        // interface keys are opened, never created.
        if (result == kErrorFileNotFound && inInterface) return;
        NoteWrite(result);
        written = false;
    };
    const auto interfaceValues = Values(family, tuning_, where.interfaceValues);
    for (const std::string& name : interfaces.names) {
        write(InterfaceKey(name), where.interfaceValues, interfaceValues, Registry::KeyMode::Existing);
    }
    for (const TcpipKey& key : where.keys) {
        write(key.path, key.values, Values(family, tuning_, key.values), Registry::KeyMode::Create);
    }
    if (!written) {
        Fail(text::kReasonWriteRefused);
        return false;
    }
    return true;
}

}  // namespace vornix
