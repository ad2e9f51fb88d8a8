// Writes the tuning set into the registry locations the running Windows
// family reads. Every value is read back; the result says whether the
// registry now holds all of them, and the run keeps which it wrote.
#include "engine/Form1.h"
#include "engine/TuningPlan.h"

namespace vornix {

bool Form1::ApplyTuning() {
    const std::optional<Family> family = StartStep();
    return family && Apply(*family);
}

bool Form1::Apply(Family family) {
    std::vector<std::string> interfaces;
    if (!ListInterfacesOnce(family, interfaces)) return false;
    written_.clear();
    return Written(WriteChanges(objReg(), PlanOptimize(family, tuning_, interfaces), written_), family);
}

}  // namespace vornix
