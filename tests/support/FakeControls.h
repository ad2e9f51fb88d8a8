#pragma once
// The window's controls with scripted dialogs, so a whole run of the main
// window's logic can be driven tick by tick.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/PlainControls.h"
#include "engine/RunDialogs.h"

namespace vornix::test {

// Takes each dialog of a run and records it as the box the window would
// show. The two questions take the next queued answer (kIdYes or kIdNo),
// No when none is queued. `whileOpen` runs while a box is "open", the way
// timer ticks arrive during a modal box on Windows.
class FakeDialogs final : public RunDialogs {
public:
    bool Show(const Dialog& dialog) override {
        shown.push_back(BoxFor(dialog));
        if (whileOpen) whileOpen();
        const bool question = dialog.kind == Dialog::Kind::ConfirmRestore ||
                              dialog.kind == Dialog::Kind::OfferRestart;
        if (!question || answers.empty()) return false;
        const int answer = answers.front();
        answers.pop_front();
        return answer == kIdYes;
    }

    std::vector<Box> shown;
    std::deque<int> answers;
    std::function<void()> whileOpen;
};

// The window's controls, answering their dialogs from a script.
struct FakeForm1Controls : PlainForm1Controls {
    FakeDialogs boxes;
    Form1Controls View() { return PlainForm1Controls::View(boxes); }
};

}  // namespace vornix::test
