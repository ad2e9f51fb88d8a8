#include "console/ConsoleRun.h"

#include "console/StatusReport.h"

namespace vornix {

ConsoleRun::ConsoleRun(SystemServices services, ConsoleOutput& output)
    : output_(output),
      reg_(services.registry, services.codePage),
      form_(std::move(services), controls_.View(*this)) {}

bool ConsoleRun::Show(const Dialog& dialog) {
    switch (dialog.kind) {
        case Dialog::Kind::Summary:
            output_.Out(BoxFor(dialog).prompt + "\n\n");
            return false;
        case Dialog::Kind::ConfirmRestore:
            return true;  // the command itself asked to restore
        case Dialog::Kind::OfferRestart:
            // Tell that a restart is needed; never make one.
            output_.Out(RestartNeededText(dialog.run) + "\n");
            for (const std::string& note : dialog.notes) output_.Out(note + "\n");
            return false;
        case Dialog::Kind::NoMethodChosen:
        case Dialog::Kind::RunFailed:
        case Dialog::Kind::RestartFailed:
        case Dialog::Kind::TimerFailed:
            failed_ = true;
            output_.Err(BoxFor(dialog).prompt + "\n");
            return false;
    }
    return false;
}

ExitCode ConsoleRun::Optimize(int method, int speed) {
    form_.optInternetMethod_Click(static_cast<std::int16_t>(method));
    form_.optInternetSpeed_Click(method + 1, static_cast<std::int16_t>(speed));
    form_.cmdOptimize_Click();
    return Finish();
}

ExitCode ConsoleRun::Restore() {
    form_.cmdRestore_Click();
    const ExitCode result = Finish();
    // "No backup" lets a caller drop the product key, so it must be certain:
    // the run stopped before any write (a refused write is recorded), and
    // the store now holds no backup of either family.
    if (result == ExitCode::NotCompleted && form_.lastWriteError() == 0 &&
        NoBackupAtAll(ReadBackups(reg_, form_.ProductKey()))) {
        return ExitCode::NoBackup;
    }
    return result;
}

ExitCode ConsoleRun::Finish() {
    // A run takes 101 ticks; the bound only keeps a fault from looping.
    for (int tick = 0; tick < 1000 && controls_.tmrOptimize.enabled; ++tick) {
        form_.tmrOptimize_Timer();
    }
    if (!failed_) return ExitCode::Done;
    return form_.NeedsAdministrator() ? ExitCode::NeedsAdmin : ExitCode::NotCompleted;
}

}  // namespace vornix
