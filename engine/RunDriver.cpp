// The staged run: the Optimize and Restore commands start it, and each tick
// of the run timer advances the progress bar by one and performs the step
// for the new value. All registry work happens at 10 (backup) and 20 (apply
// or restore).
#include <string>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RunTexts.h"
#include "profiles/ConnectionProfiles.h"

namespace vornix {
namespace {

const char* StatusText(int value, bool optimizeMode) {
    switch (value) {
        case 1: return text::kStatusAnalyse;
        case 10: return optimizeMode ? text::kStatusBackup : text::kStatusRestoring;
        case 20: return text::kStatusConfigure;
        case 99: return text::kStatusDone;
        case 100: return optimizeMode ? text::kStatusBackupExists : text::kStatusRestored;
        default: break;
    }
    // The steps that name a value.
    for (const TcpipValue& v : TcpipValues()) {
        if (v.step == value) return v.stepText;
    }
    return nullptr;
}

// Marks a registry step as running for as long as it is in scope.
class StepGuard {
public:
    explicit StepGuard(bool& running) : running_(running) { running_ = true; }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;
    ~StepGuard() { running_ = false; }

private:
    bool& running_;
};

}  // namespace

void Form1::cmdOptimize_Click() {
    if (runActive_) return;
    if (intInternetMethod_ == 0) {
        controls_.tmrBlink.SetEnabled(true);
        controls_.dialogs.Show({Dialog::Kind::NoMethodChosen});
        return;
    }
    SetFixedMembers(tuning_);
    controls_.dialogs.Show({.kind = Dialog::Kind::Summary,
                            .tuning = tuning_,
                            .family = FamilyOf(objOS().OperatingPlatform()).value_or(Family::NT),
                            .notes = SummaryNotes(objOS().RealVersion())});
    StartRun(true);
}

void Form1::cmdRestore_Click() {
    if (runActive_) return;
    if (controls_.dialogs.Show({Dialog::Kind::ConfirmRestore})) StartRun(false);
}

// While a run lasts, nothing may change its mode, its tuning set or its
// progress: Optimize, Restore and the options are disabled, and their
// handlers ignore what still reaches them.
void Form1::StartRun(bool optimizeMode) {
    // The window as it is, for a run the timer cannot carry.
    const bool restoreEnabled = controls_.cmdRestore.Enabled();
    const double progress = controls_.pgbOptimize.Value();
    const bool mode = blnOptimizeMode_;
    runActive_ = true;
    lastFailure_.clear();
    lastWriteError_ = 0;
    runStep_.reset();
    runBackup_.reset();
    backedUpNow_ = false;
    freshBackupCopies_ = {};
    controls_.cmdOptimize.SetEnabled(false);
    controls_.cmdRestore.SetEnabled(false);
    controls_.optionButtons.SetEnabled(false);
    controls_.pgbOptimize.SetValue(0);
    blnOptimizeMode_ = optimizeMode;
    controls_.tmrOptimize.SetEnabled(true);
    if (controls_.tmrOptimize.Enabled()) return;
    // No timer, no run: the window is given back as it was, and the user
    // told to try again.
    blnOptimizeMode_ = mode;
    controls_.pgbOptimize.SetValue(progress);
    runActive_ = false;
    controls_.cmdOptimize.SetEnabled(true);
    controls_.optionButtons.SetEnabled(true);
    controls_.cmdRestore.SetEnabled(restoreEnabled);
    controls_.dialogs.Show({Dialog::Kind::TimerFailed});
}

void Form1::EndRun() {
    // Restore is offered when step 10 found a complete backup or made one.
    const bool backup =
        backedUpNow_ || (runBackup_ && runBackup_->state == StoredBackup::State::Complete);
    runStep_.reset();
    runBackup_.reset();
    runActive_ = false;
    controls_.cmdOptimize.SetEnabled(true);
    controls_.optionButtons.SetEnabled(true);
    controls_.cmdRestore.SetEnabled(backup);
}

void Form1::tmrOptimize_Timer() {
    // A tick that arrives while the backup, apply or restore step is still
    // running (delivered by its enumeration's event processing) must not run
    // later steps before it returns.
    if (stepRunning_) return;
    const double value = controls_.pgbOptimize.Value();
    if (value == 100) {
        controls_.tmrOptimize.SetEnabled(false);
        return;
    }
    controls_.pgbOptimize.SetValue(value + 1);
    RunStep(static_cast<int>(controls_.pgbOptimize.Value()));
}

bool Form1::CheckBackup() {
    runStep_ = StartFamilyStep();
    if (!runStep_) return false;
    runBackup_ = ReadStore(*runStep_);
    switch (runBackup_->state) {
        case StoredBackup::State::Complete:
            return true;
        case StoredBackup::State::None:
            if (!blnOptimizeMode_) {
                Fail(text::kReasonNoBackup);
                return false;
            }
            backedUpNow_ = Backup(*runStep_);
            // Copies set aside beside the fresh backup are named at the
            // end of the run; a list that cannot be read names none and
            // stops nothing.
            if (backedUpNow_) freshBackupCopies_ = ListSetAside(objReg(), ProductKey(), runStep_->family);
            return backedUpNow_;
        case StoredBackup::State::Damaged:
        case StoredBackup::State::Unreadable:
            // Never written over: the store may hold the only copy of the
            // machine's own values.
            Fail(runBackup_->reason);
            return false;
    }
    return false;
}

void Form1::RunStep(int value) {
    if (const char* status = StatusText(value, blnOptimizeMode_)) {
        controls_.lblOptimizeStatus.SetCaption(status);
    }
    if (value == 10 || value == 20) {
        bool done = false;
        {
            StepGuard guard(stepRunning_);
            done = value == 10          ? CheckBackup()
                   : blnOptimizeMode_ ? ApplyTuning()
                                      : Restore(*runStep_, *runBackup_);
        }
        // Without a complete backup nothing may be changed: the run ends at
        // the step that could not do its work.
        if (!done) {
            AbortRun(!blnOptimizeMode_ ? FailedStep::Restore : value == 10 ? FailedStep::Backup : FailedStep::Apply);
        }
    } else if (value == 100) {
        CloseRun();
    }
}

void Form1::AbortRun(FailedStep step) {
    controls_.tmrOptimize.SetEnabled(false);
    controls_.lblOptimizeStatus.SetCaption(step == FailedStep::Backup  ? text::kStatusBackupFailed
                                           : step == FailedStep::Apply ? text::kStatusApplyFailed
                                                                       : text::kStatusRestoreFailed);
    EndRun();
    controls_.dialogs.Show({.kind = Dialog::Kind::RunFailed, .step = step, .reason = lastFailure_});
}

void Form1::CloseRun() {
    const RunKind kind = blnOptimizeMode_ ? RunKind::Optimize : RunKind::Restore;
    // A fresh backup beside copies set aside holds the values as they were
    // just now, which may be an earlier run's: the user is told where the
    // copies are.
    std::vector<std::string> notes;
    if (blnOptimizeMode_) notes = ClosingNotes(objOS().RealVersion(), written_);
    if (!freshBackupCopies_.names.empty()) {
        notes.push_back(text::FreshBackupBesideCopies(freshBackupCopies_.names));
    }
    EndRun();
    if (controls_.dialogs.Show({.kind = Dialog::Kind::OfferRestart, .run = kind, .notes = notes}) &&
        !objShutdown().RebootNT(-1)) {
        controls_.dialogs.Show({.kind = Dialog::Kind::RestartFailed, .run = kind});
    }
}

}  // namespace vornix
