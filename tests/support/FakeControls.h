#pragma once
// The window's controls with scripted message boxes, so a whole run of the
// main window's logic can be driven tick by tick.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/Form1Controls.h"
#include "engine/PlainControls.h"

namespace vornix::test {

struct ShownBox {
    std::string prompt;
    int style = 0;
    std::string title;
};

// Answers boxes from a script (kIdOk for OK boxes, else the next queued
// answer, kIdNo when none is queued). `whileOpen` runs while a box is "open",
// the way timer ticks arrive during a modal box on Windows.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    int Show(const std::string& prompt, int style, const std::string& title) override {
        shown.push_back({prompt, style, title});
        if (whileOpen) whileOpen();
        if ((style & 0xF) == kMbOk) return kIdOk;
        if (answers.empty()) return kIdNo;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<ShownBox> shown;
    std::deque<int> answers;
    std::function<void()> whileOpen;
};

// The window's controls, answering their message boxes from a script.
struct FakeForm1Controls : PlainForm1Controls {
    ScriptedMessageBoxes boxes;
    Form1Controls View() { return PlainForm1Controls::View(boxes); }
};

}  // namespace vornix::test
