#pragma once
// The controls and message boxes the main window's logic drives. The Win32
// window implements them with real controls; tests with plain fakes.
#include <array>
#include <string>

#include "profiles/ConnectionProfiles.h"

namespace vornix {

class Label {
public:
    virtual ~Label() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
};

class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual double Value() const = 0;
    virtual void SetValue(double value) = 0;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

// A control, or several controls acting as one, that can be enabled and
// disabled: a command button, or every option button of the window.
class Control {
public:
    virtual ~Control() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

class Panel {
public:
    virtual ~Panel() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
};

// Message box styles and answers, with their Windows values.
constexpr int kMbOk = 0;
constexpr int kMbYesNo = 4;
constexpr int kMbIconQuestion = 32;
constexpr int kMbIconExclamation = 48;
constexpr int kMbIconInformation = 64;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// A window's speed panels, one a connection method, as the logic reaches them.
template <class PanelType>
std::array<Panel*, kMethodCount> PanelsOf(std::array<PanelType, kMethodCount>& panels) {
    std::array<Panel*, kMethodCount> each{};
    for (std::size_t i = 0; i < panels.size(); ++i) each[i] = &panels[i];
    return each;
}

class RunDialogs;

struct Form1Controls {
    Label& lblOptimizeStatus;
    ProgressBar& pgbOptimize;
    Timer& tmrOptimize;
    Timer& tmrBlink;
    Control& cmdOptimize;
    Control& cmdRestore;
    // The method and speed option buttons, all together.
    Control& optionButtons;
    Label& lblNext1;
    Label& Label1;
    std::array<Panel*, kMethodCount> picInternetSpeed;
    // The boxes of a run, by what each is for (engine/RunDialogs.h).
    RunDialogs& dialogs;
};

}  // namespace vornix
