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
                                       const TcpipValue* first, const TcpipValue* last) {
    std::vector<Registry::NewValue> values;
    for (const TcpipValue* v = first; v != last; ++v) {
        values.push_back(NumberValue(family, v->name, tuning.*v->member));
    }
    return values;
}

}  // namespace

bool Form1::ApplyTuning() {
    lastFailure_.clear();
    const std::optional<Family> family = RunningFamily();
    if (!family) return false;
    Registry& reg = objReg();
    // A value that cannot be written does not stop the others.
    bool written = true;
    auto write = [&](const std::string& key, const std::vector<Registry::NewValue>& values,
                     Registry::KeyMode mode) {
        const long result = reg.SaveRegValues(kHkeyLocalMachine, key, values, mode);
        // An interface that went away after it was listed is left alone.
        if (result == kErrorSuccess || (result == kErrorFileNotFound &&
                                        mode == Registry::KeyMode::Existing)) {
            return;
        }
        NoteWrite(result);
        written = false;
    };
    if (*family == Family::Win9x) {
        for (const auto& [key, values] : GroupByKey(kWin9xValues.data(),
                                                    kWin9xValues.data() + kWin9xValues.size())) {
            write(key, Values(Family::Win9x, tuning_, values.front(), values.front() + values.size()),
                  Registry::KeyMode::Create);
        }
    } else {
        // The interfaces are listed once; those that come or go meanwhile
        // do not change the list. Their keys are opened, never created.
        const Registry::KeyNames interfaces = reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey);
        if (interfaces.error != kErrorSuccess && interfaces.error != kErrorFileNotFound) {
            Fail(text::Naming(text::kReasonReadFailed, kInterfacesKey));
            return false;
        }
        const auto interfaceValues = Values(Family::NT, tuning_, kNtInterfaceValues.data(),
                                            kNtInterfaceValues.data() + kNtInterfaceValues.size());
        for (const std::string& name : interfaces.names) {
            write(std::string(kInterfacesKey) + "\\" + name, interfaceValues,
                  Registry::KeyMode::Existing);
        }
        write(kTcpipParametersKey,
              Values(Family::NT, tuning_, kNtParameterValues.data(),
                     kNtParameterValues.data() + kNtParameterValues.size()),
              Registry::KeyMode::Create);
    }
    if (!written) {
        Fail(text::kReasonWriteRefused);
        return false;
    }
    return true;
}

}  // namespace vornix
