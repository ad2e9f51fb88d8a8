#pragma once
// Plain controls and scripted message boxes, so a whole run of the main
// window's logic can be driven tick by tick.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/Form1Controls.h"

namespace vornix::test {

class FakeLabel final : public Label {
public:
    void SetCaption(const std::string& text) override { caption = text; }
    std::string Caption() const override { return caption; }
    void SetVisible(bool v) override { visible = v; }
    bool Visible() const override { return visible; }
    std::string caption;
    bool visible = false;
};

class FakeProgressBar final : public ProgressBar {
public:
    double Value() const override { return value; }
    void SetValue(double v) override { value = v; }
    double value = 0;
};

class FakeTimer final : public Timer {
public:
    void SetEnabled(bool e) override { enabled = e; }
    bool Enabled() const override { return enabled; }
    bool enabled = false;
};

class FakeButton final : public Control {
public:
    explicit FakeButton(bool e) : enabled(e) {}
    void SetEnabled(bool e) override { enabled = e; }
    bool Enabled() const override { return enabled; }
    bool enabled;
};

class FakePanel final : public Panel {
public:
    void SetVisible(bool v) override { visible = v; }
    bool Visible() const override { return visible; }
    bool visible = false;
};

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

struct FakeForm1Controls {
    FakeLabel lblOptimizeStatus;
    FakeProgressBar pgbOptimize;
    FakeTimer tmrOptimize;
    FakeTimer tmrBlink;
    FakeButton cmdOptimize{true};
    FakeButton cmdRestore{false};  // disabled until a backup is found
    FakeButton optionButtons{true};
    FakeLabel lblNext1;
    FakeLabel Label1;
    FakePanel panels[6];
    ScriptedMessageBoxes boxes;

    Form1Controls View() {
        return Form1Controls{lblOptimizeStatus, pgbOptimize, tmrOptimize, tmrBlink,
                             cmdOptimize,       cmdRestore,  optionButtons, lblNext1, Label1,
                             {&panels[0], &panels[1], &panels[2], &panels[3], &panels[4],
                              &panels[5]},
                             boxes};
    }
};

}  // namespace vornix::test
