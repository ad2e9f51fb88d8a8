// Writes the tuning set into the registry locations the running Windows
// family reads. Every value is read back; the result says whether the
// registry now holds all of them, and the run keeps which it wrote.
#include "engine/Form1.h"
#include "engine/TuningPlan.h"

namespace vornix {

bool Form1::ApplyTuning() {
    const std::optional<FamilyStep> step = StartFamilyStep();
    return step && Apply(*step);
}

bool Form1::Apply(const FamilyStep& step) {
    if (!InterfacesListed(step)) return false;
    written_.clear();
    const std::vector<KeyChanges> plan = PlanOptimize(step.family, tuning_, step.interfaces.names);
    return Written(WriteChanges(objReg(), plan, written_), step.family);
}

}  // namespace vornix
