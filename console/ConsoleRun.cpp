#include "console/ConsoleRun.h"

#include "console/StatusReport.h"
#include "engine/RunTexts.h"

namespace vornix {

ConsoleRun::ConsoleRun(SystemServices services, ConsoleOutput& output)
    : boxes_(output),
      reg_(services.registry, services.codePage),
      form_(std::move(services), controls_.View(boxes_)) {}

int ConsoleRun::Boxes::Show(const std::string& prompt, int style, const std::string& title) {
    const int icon = style & 0xF0;
    if (icon == kMbIconExclamation) {
        failed = true;
        output_.Err(prompt + "\n");
        return kIdOk;
    }
    if (icon == kMbIconInformation) {  // the summary
        output_.Out(prompt + "\n\n");
        return kIdOk;
    }
    if (title == text::kClosingTitle) {
        // Tell that a restart is needed; never make one.
        const std::string question = text::kRestartQuestion;
        const bool ends = prompt.size() >= question.size() &&
                          prompt.compare(prompt.size() - question.size(), question.size(), question) == 0;
        output_.Out((ends ? prompt.substr(0, prompt.size() - question.size()) : prompt) + "\n");
        return kIdNo;
    }
    return kIdYes;  // the command itself asked to restore
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
    if (!boxes_.failed) return ExitCode::Done;
    return form_.lastWriteError() == kErrorAccessDenied ? ExitCode::NeedsAdmin
                                                        : ExitCode::NotCompleted;
}

}  // namespace vornix
