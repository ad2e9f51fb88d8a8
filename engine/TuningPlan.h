#pragma once
// What an optimize or a restore writes, decided apart from the registry,
// and the one writer that writes it and reads it back for both.
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/TcpipValues.h"
#include "engine/WindowsReads.h"
#include "profiles/TuningSet.h"
#include "system/Registry.h"

namespace vornix {

// The changes to one key: values to write in order, then values to delete.
// An interface key is only opened, never created.
struct KeyChanges {
    std::string key;
    bool inInterface = false;
    std::vector<Registry::NewValue> writes;
    std::vector<std::string> deletes;
};

// An optimize: the tuning set where the family's stack reads it, into every
// interface listed first. It is planned as a restore of a backup that holds
// the tuning set everywhere.
std::vector<KeyChanges> PlanOptimize(Family family, const TuningSet& tuning,
                                     const std::vector<std::string>& interfaces);

// A restore from a complete backup: each value the backup holds put back
// where the family's stack reads it, or deleted where it did not exist
// (95/98/ME: in the text it had, where the backup has it), and into each
// interface its record. Any value the backup does not hold is left alone.
std::vector<KeyChanges> PlanRestore(Family family, const StoredBackup& backup);

// Writes the changes, every value read back and every deleted one looked
// for. A key that cannot be written does not stop the others; an interface
// that went away after it was listed is skipped. `written` gets each value
// written as it should be. The result is the code of the first failure, 0
// when the registry holds everything as planned.
long WriteChanges(Registry& reg, const std::vector<KeyChanges>& changes,
                  std::vector<WrittenValue>& written);

}  // namespace vornix
