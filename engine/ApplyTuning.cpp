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
    bool written = true;
    if (*family == Family::Win9x) {
        for (const auto& [key, values] : GroupByKey(kWin9xValues.data(),
                                                    kWin9xValues.data() + kWin9xValues.size())) {
            written = reg.SaveRegValues(kHkeyLocalMachine, key,
                                        Values(Family::Win9x, tuning_, values.front(),
                                               values.front() + values.size())) &&
                      written;
        }
    } else {
        // The interfaces are listed once; those that come or go meanwhile
        // do not change the list.
        const auto interfaceValues = Values(Family::NT, tuning_, kNtInterfaceValues.data(),
                                            kNtInterfaceValues.data() + kNtInterfaceValues.size());
        for (const std::string& name : reg.SubKeyNames(kHkeyLocalMachine, kInterfacesKey)) {
            written = reg.SaveRegValues(kHkeyLocalMachine, std::string(kInterfacesKey) + "\\" + name,
                                        interfaceValues) &&
                      written;
        }
        written = reg.SaveRegValues(kHkeyLocalMachine, kTcpipParametersKey,
                                    Values(Family::NT, tuning_, kNtParameterValues.data(),
                                           kNtParameterValues.data() + kNtParameterValues.size())) &&
                  written;
    }
    if (!written) lastFailure_ = text::kReasonWriteRefused;
    return written;
}

}  // namespace vornix
