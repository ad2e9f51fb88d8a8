// Writes the values of the backup store back into the TCP/IP locations of
// the running family, through the tuning set. Values that did not exist when
// the backup was taken are deleted again; each interface gets its own values
// back, and interfaces the backup does not know are left alone. A store that
// cannot be read whole, or is damaged, is not restored from at all.
#include <string>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RunTexts.h"

namespace vornix {

bool Form1::RestoreSettings() {
    lastFailure_.clear();
    const std::optional<Family> family = RunningFamily();
    if (!family) return false;
    Registry& reg = objReg();
    // Within a run, the store as its step 10 found it; called on its own,
    // the store as it is now.
    const StoredBackup backup = runBackup_ ? *runBackup_ : ReadBackup(reg, ProductKey(), *family);
    LoadInto(backup, tuning_);
    if (backup.state == StoredBackup::State::None) {
        Fail(text::kReasonNoBackup);
        return false;
    }
    if (backup.state != StoredBackup::State::Complete) {
        Fail(backup.reason);
        return false;
    }
    // A value that cannot be written back does not stop the others.
    bool restored = true;
    auto note = [&](long result) {
        if (result == kErrorSuccess) return;
        NoteWrite(result);
        restored = false;
    };
    for (const KeyChanges& c : backup.changes) {
        if (!c.writes.empty()) {
            const long result = reg.SaveRegValues(kHkeyLocalMachine, c.key, c.writes, c.mode);
            // An interface that went away meanwhile has nothing to restore.
            if (result == kErrorFileNotFound && c.mode == Registry::KeyMode::Existing) continue;
            note(result);
        }
        if (!c.deletes.empty()) note(reg.DeleteRegValues(kHkeyLocalMachine, c.key, c.deletes));
    }
    if (!restored) Fail(text::kReasonWriteRefused);
    return restored;
}

}  // namespace vornix
