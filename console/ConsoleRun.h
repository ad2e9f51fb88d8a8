#pragma once
// The window's Optimize and Restore runs for the console tool: the same
// logic (Form1) driven tick after tick without the timer, with what the
// window would show in message boxes told on the console instead. The
// closing question is never answered Yes: the tool does not restart.
#include <memory>
#include <string>

#include "console/CommandLine.h"
#include "engine/Form1.h"
#include "engine/PlainControls.h"

namespace vornix {

// Where the console tool writes, in UTF-8.
class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
};

class ConsoleRun {
public:
    ConsoleRun(SystemServices services, ConsoleOutput& output);

    // `method` and `speed` are 0-based rows of the profile table.
    ExitCode Optimize(int method, int speed);
    // NoBackup when the run wrote nothing and the store holds no backup of
    // either family; NotCompleted for any other run that failed.
    ExitCode Restore();

private:
    class Boxes final : public MessageBoxes {
    public:
        explicit Boxes(ConsoleOutput& output) : output_(output) {}
        int Show(const std::string& prompt, int style, const std::string& title) override;
        bool failed = false;

    private:
        ConsoleOutput& output_;
    };

    ExitCode Finish();

    Boxes boxes_;
    PlainForm1Controls controls_;
    Registry reg_;  // the store's own reading, apart from the run's
    Form1 form_;
};

}  // namespace vornix
