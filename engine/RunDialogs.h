#pragma once
// What a run asks or tells whoever shows it: one call for each box the
// window shows, named for what the box is for. The window shows each as its
// message box (MessageBoxDialogs); the console tool and the tests answer them
// directly.
#include <cstdint>
#include <string>

#include "engine/Form1Controls.h"
#include "profiles/TuningSet.h"

namespace vornix {

enum class RunKind { Optimize, Restore };

// The registry step a run could not do.
enum class FailedStep { Backup, Apply, Restore };

class RunDialogs {
public:
    virtual ~RunDialogs() = default;
    // Optimize was clicked before a connection method was chosen.
    virtual void NoMethodChosen() = 0;
    // The values an optimize run is about to write; `withMss` on the
    // Windows 95/98/ME family, the only one that has an MSS value.
    virtual void Summary(const TuningSet& tuning, bool withMss) = 0;
    // Restore was clicked: true to go on.
    virtual bool ConfirmRestore() = 0;
    // The run ended at `step` without changing more; `reason` may be empty.
    virtual void RunFailed(FailedStep step, const std::string& reason) = 0;
    // The run is through: true to restart the machine now.
    virtual bool OfferRestart(RunKind kind) = 0;
    // The restart asked for could not be started.
    virtual void RestartFailed(RunKind kind) = 0;
    // The run timer could not be started: no run began.
    virtual void TimerFailed() = 0;
};

// A message box as the window shows it.
struct Box {
    std::string prompt;
    int style = kMbOk;
    std::string title;
};

// The box for each of them, with its text, title, icon and buttons.
Box NoMethodBox();
Box SummaryBox(const TuningSet& tuning, bool withMss);
Box RestoreQuestionBox();
Box FailureBox(FailedStep step, const std::string& reason);
Box RestartQuestionBox(RunKind kind);
Box RestartFailedBox(RunKind kind);
Box TimerFailedBox();
// The closing message without its question: what a run that does not offer
// the restart says at its end.
std::string RestartNeededText(RunKind kind);

// The run's dialogs as message boxes: the window's.
class MessageBoxDialogs final : public RunDialogs {
public:
    explicit MessageBoxDialogs(MessageBoxes& boxes) : boxes_(boxes) {}
    void NoMethodChosen() override { Show(NoMethodBox()); }
    void Summary(const TuningSet& tuning, bool withMss) override {
        Show(SummaryBox(tuning, withMss));
    }
    bool ConfirmRestore() override { return Show(RestoreQuestionBox()) == kIdYes; }
    void RunFailed(FailedStep step, const std::string& reason) override {
        Show(FailureBox(step, reason));
    }
    bool OfferRestart(RunKind kind) override { return Show(RestartQuestionBox(kind)) == kIdYes; }
    void RestartFailed(RunKind kind) override { Show(RestartFailedBox(kind)); }
    void TimerFailed() override { Show(TimerFailedBox()); }

private:
    int Show(const Box& box) { return boxes_.Show(box.prompt, box.style, box.title); }
    MessageBoxes& boxes_;
};

}  // namespace vornix
