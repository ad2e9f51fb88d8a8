#pragma once
// What a run asks or tells whoever shows it, one dialog for each box the
// window shows, named for what the box is for. The window shows each as its
// message box (BoxFor); the console tool and the tests answer them by their
// kind, so a new kind is one each of them must learn to answer.
#include <string>
#include <vector>

#include "engine/Form1Controls.h"
#include "engine/TcpipValues.h"
#include "profiles/TuningSet.h"
#include "resources/VersionInfo.h"

namespace vornix {

// The title message boxes carry when they have none of their own.
inline constexpr const char* kAppTitle = VORNIX_INTERNAL_NAME;

enum class RunKind { Optimize, Restore };

// The registry step a run could not do.
enum class FailedStep { Backup, Apply, Restore };

struct Dialog {
    enum class Kind {
        NoMethodChosen,  // Optimize before a connection method was chosen
        Summary,         // the values an optimize run is about to write
        ConfirmRestore,  // Restore was clicked: go on? (a question)
        RunFailed,       // the run ended at `step`, changing no more; `reason` may be empty
        OfferRestart,    // the run is through: restart now? (a question)
        RestartFailed,   // the restart asked for could not be started
        TimerFailed,     // the run timer could not be started: no run began
    };
    Kind kind;
    RunKind run = RunKind::Optimize;   // OfferRestart, RestartFailed
    TuningSet tuning{};                // Summary
    Family family = Family::NT;        // Summary: the family whose values it lists
    FailedStep step = FailedStep::Backup;  // RunFailed
    std::string reason{};              // RunFailed
    // Summary, OfferRestart: lines added after the box's own text, each one
    // thing the user should know of what the run does or did.
    std::vector<std::string> notes{};
};

class RunDialogs {
public:
    virtual ~RunDialogs() = default;
    // Shows the dialog; true when a question was answered Yes.
    virtual bool Show(const Dialog& dialog) = 0;
};

// A message box as the window shows it.
struct Box {
    std::string prompt;
    int style = kMbOk;
    std::string title;
};

// The box of a dialog, with its text, title, icon and buttons.
Box BoxFor(const Dialog& dialog);
// The closing message without its question: what a run that does not offer
// the restart says at its end.
std::string RestartNeededText(RunKind kind);

}  // namespace vornix
