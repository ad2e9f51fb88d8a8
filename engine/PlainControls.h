#pragma once
// Controls that only hold their state: what the main window's logic drives
// when no window shows it (the console tool), and what tests look at.
#include "engine/Form1Controls.h"

namespace vornix {

class PlainLabel final : public Label {
public:
    void SetCaption(const std::string& text) override { caption = text; }
    std::string Caption() const override { return caption; }
    void SetVisible(bool v) override { visible = v; }
    bool Visible() const override { return visible; }
    std::string caption;
    bool visible = false;
};

class PlainProgressBar final : public ProgressBar {
public:
    double Value() const override { return value; }
    void SetValue(double v) override { value = v; }
    double value = 0;
};

class PlainTimer final : public Timer {
public:
    void SetEnabled(bool e) override { enabled = e; }
    bool Enabled() const override { return enabled; }
    bool enabled = false;
};

class PlainControl final : public Control {
public:
    explicit PlainControl(bool e) : enabled(e) {}
    void SetEnabled(bool e) override { enabled = e; }
    bool Enabled() const override { return enabled; }
    bool enabled;
};

class PlainPanel final : public Panel {
public:
    void SetVisible(bool v) override { visible = v; }
    bool Visible() const override { return visible; }
    bool visible = false;
};

// Every control of the main window, laid out as the window starts, around
// the run's dialogs the owner supplies.
struct PlainForm1Controls {
    PlainLabel lblOptimizeStatus;
    PlainProgressBar pgbOptimize;
    PlainTimer tmrOptimize;
    PlainTimer tmrBlink;
    PlainControl cmdOptimize{true};
    PlainControl cmdRestore{false};  // disabled until a backup is found
    PlainControl optionButtons{true};
    PlainLabel lblNext1;
    PlainLabel Label1;
    std::array<PlainPanel, kMethodCount> panels;

    Form1Controls View(RunDialogs& dialogs) {
        return Form1Controls{lblOptimizeStatus, pgbOptimize, tmrOptimize,   tmrBlink,
                             cmdOptimize,       cmdRestore,  optionButtons, lblNext1,
                             Label1,            PanelsOf(panels), dialogs};
    }
};

}  // namespace vornix
