// Writes the tuning set into the registry locations the running Windows
// family reads. Every value is read back; the result says whether the
// registry now holds all of them.
#include <string>

#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {

bool Form1::ApplyTuning() {
    lastFailure_.clear();
    const std::int32_t platform = objOS().OperatingPlatform();
    if (platform == 0) {
        lastFailure_ = text::kReasonUnknownWindows;
        return false;
    }
    Registry& reg = objReg();
    bool written = true;
    if (platform == 1) {
        for (const auto& v : kWin9xValues) {
            written = WriteNumber(reg, Family::Win9x, v.key, v.name, tuning_.*v.member) && written;
        }
    } else {
        // The count is taken once; interfaces that come or go meanwhile do
        // not change it.
        const std::int32_t n = reg.SubKeyCount(kHkeyLocalMachine, kInterfacesKey);
        for (std::int32_t i = 1; i <= n; ++i) {
            const std::string name = reg.SubKeyName(kHkeyLocalMachine, kInterfacesKey, i);
            // A subkey that vanished meanwhile reads as empty: writing to
            // "Interfaces\" would land on the Interfaces key itself.
            if (name.empty()) continue;
            const std::string key = std::string(kInterfacesKey) + "\\" + name;
            for (const auto& v : kNtInterfaceValues) {
                written = WriteNumber(reg, Family::NT, key, v.name, tuning_.*v.member) && written;
            }
        }
        for (const auto& v : kNtParameterValues) {
            written = WriteNumber(reg, Family::NT, v.key, v.name, tuning_.*v.member) && written;
        }
    }
    if (!written) lastFailure_ = text::kReasonWriteRefused;
    return written;
}

}  // namespace vornix
