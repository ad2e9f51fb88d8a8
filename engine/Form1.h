#pragma once
// The main window's state and event logic, apart from any window toolkit.
// Form1 owns the tuning set, the chosen method, the run mode and the three
// system-access objects; the controls it drives are reached through
// Form1Controls.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1Controls.h"
#include "engine/RunDialogs.h"
#include "engine/RegistryNumbers.h"
#include "engine/SystemServices.h"
#include "engine/TcpipValues.h"
#include "engine/WindowsReads.h"
#include "profiles/TuningSet.h"
#include "system/Registry.h"
#include "system/clsOS.h"
#include "system/clsShutdownNT.h"

namespace vornix {

class Form1 {
public:
    Form1(SystemServices services, Form1Controls controls);

    // Selection flow.
    void optInternetMethod_Click(std::int16_t Index);
    // `array` is 1 to 6: optInternetSpeed1 .. optInternetSpeed6.
    void optInternetSpeed_Click(int array, std::int16_t Index);
    void tmrBlink_Timer();

    // The run driver.
    void cmdOptimize_Click();
    void cmdRestore_Click();
    void tmrOptimize_Timer();

    // Start-up: install record and backup detection. `exeFolder` is the
    // executable's folder, `baseName` its file name without extension.
    void Form_Load(const std::string& exeFolder, const std::string& baseName);

    const TuningSet& tuning() const { return tuning_; }
    TuningSet& tuning() { return tuning_; }
    std::int16_t intInternetMethod() const { return intInternetMethod_; }

    // The product key, "SOFTWARE\" followed by the product name.
    std::string ProductKey() const;

    // The tuning procedures, each a step of its own that finds the running
    // family and its interfaces. Public so tests can drive them one at a
    // time; the window reaches them only through the run timer.
    bool BackupSettings();
    bool ApplyTuning();
    bool RestoreSettings();

    // Why the last tuning procedure or run did not complete; empty when it did.
    const std::string& lastFailure() const { return lastFailure_; }
    // The Win32 code of the first write the registry refused in it; 0 when
    // none was.
    long lastWriteError() const { return lastWriteError_; }
    // That write was refused for want of administrator rights: access
    // denied on the NT family (Windows 95/98/ME has no such rights).
    bool NeedsAdministrator() const;
    // A run is under way: from the click that starts it to its step 100 or
    // its abort.
    bool RunActive() const { return runActive_; }

private:
    Registry& objReg();
    clsOS& objOS();
    clsShutdownNT& objShutdown();

    // The start of a step that reads or writes the TCP/IP values: an
    // earlier failure forgotten, the running family, and its interfaces
    // listed once, so that those that come or go meanwhile do not change the
    // list (`error` set when it could not be read whole). None (with the
    // reason kept) on a Windows the program does not know, where nothing may
    // be read or written.
    struct FamilyStep {
        Family family;
        Registry::KeyNames interfaces;
    };
    std::optional<FamilyStep> StartFamilyStep();
    // The store of the step's family, with its interfaces' records.
    StoredBackup ReadStore(const FamilyStep& step);
    // The steps' work: false, with the reason kept, when it is not all done.
    bool Backup(const FamilyStep& step);
    bool Apply(const FamilyStep& step);
    bool Restore(const FamilyStep& step, const StoredBackup& backup);
    // The interfaces could not be listed whole: false, with the reason kept.
    bool InterfacesListed(const FamilyStep& step);
    // A write the registry refused (`result` not 0): false, with the reason kept.
    bool Written(long result, Family family);

    void StartRun(bool optimizeMode);
    void EndRun();
    void RunStep(int value);
    // Step 10: a complete backup must exist before anything changes; an
    // optimize run makes one when there is none.
    bool CheckBackup();
    void CloseRun();
    void AbortRun(FailedStep step);
    void Fail(std::string reason) { lastFailure_ = std::move(reason); }

    SystemServices services_;
    Form1Controls controls_;
    TuningSet tuning_;
    std::int16_t intInternetMethod_ = 0;
    bool blnOptimizeMode_ = false;
    bool runActive_ = false;
    bool stepRunning_ = false;  // a registry step of the run is in progress
    std::string lastFailure_;
    long lastWriteError_ = 0;
    std::optional<Family> writeFamily_;  // the family lastWriteError_ was met on
    // Step 10 of the run, read once for the whole run: the family and its
    // interfaces, the store as found (what a restore run writes back at
    // step 20, and whether Restore is offered at its end), and, when it made
    // a fresh backup, the copies set aside beside it. Empty outside a run.
    std::optional<FamilyStep> runStep_;
    std::optional<StoredBackup> runBackup_;
    bool backedUpNow_ = false;  // step 10 of the run made a fresh backup
    Registry::KeyNames freshBackupCopies_;
    std::vector<WrittenValue> written_;  // what the last apply wrote (it starts afresh)
    std::optional<Registry> objReg_;
    std::optional<clsOS> objOS_;
    std::optional<clsShutdownNT> objShutdown_;
};

}  // namespace vornix
