#pragma once
// The window's Optimize and Restore runs for the console tool: the same
// logic (Form1) driven tick after tick without the timer, with the run's
// dialogs told on the console instead of shown. The command itself is the
// answer to the restore question, and the restart is never made: the tool
// says that one is needed.
#include <memory>
#include <string>

#include "console/CommandLine.h"
#include "engine/Form1.h"
#include "engine/PlainControls.h"
#include "engine/RunDialogs.h"

namespace vornix {

// Where the console tool writes, in UTF-8.
class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
};

class ConsoleRun final : private RunDialogs {
public:
    ConsoleRun(SystemServices services, ConsoleOutput& output);

    // `method` and `speed` are 0-based rows of the profile table.
    ExitCode Optimize(int method, int speed);
    // NoBackup when the run wrote nothing and the store holds no backup of
    // either family; NotCompleted for any other run that failed.
    ExitCode Restore();

private:
    // The run's dialogs, told on the console.
    bool Show(const Dialog& dialog) override;
    ExitCode Finish();

    ConsoleOutput& output_;
    bool failed_ = false;
    PlainForm1Controls controls_;
    Registry reg_;  // the store's own reading, apart from the run's
    Form1 form_;
};

}  // namespace vornix
