// Writes the values of the backup store back into the TCP/IP locations of
// the running family, through the tuning set. Values that did not exist when
// the backup was taken are deleted again; each interface gets its own values
// back, and interfaces the backup does not know are left alone. A store that
// cannot be read whole, or is damaged, is not restored from at all.
#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RunTexts.h"
#include "engine/TuningPlan.h"

namespace vornix {

bool Form1::RestoreSettings() {
    const std::optional<FamilyStep> step = StartFamilyStep();
    return step && Restore(*step, ReadStore(*step));
}

bool Form1::Restore(const FamilyStep& step, const StoredBackup& backup) {
    LoadInto(backup, tuning_);
    if (backup.state == StoredBackup::State::None) {
        Fail(text::kReasonNoBackup);
        return false;
    }
    if (backup.state != StoredBackup::State::Complete) {
        Fail(backup.reason);
        return false;
    }
    std::vector<WrittenValue> written;
    const std::vector<KeyChanges> plan = PlanRestore(step.family, backup, step.interfaces.names);
    return Written(WriteChanges(objReg(), plan, written), step.family);
}

}  // namespace vornix
