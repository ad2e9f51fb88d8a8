#pragma once
// The main window's controls behind the interfaces its logic drives.
#include <functional>
#include <string>
#include <vector>

#include "system/win32/WindowsHeaders.h"

#include "engine/Form1Controls.h"
#include "engine/RunDialogs.h"

namespace vornix {

class Win32Label final : public Label {
public:
    void Attach(HWND hwnd, bool visible) { hwnd_ = hwnd; visible_ = visible; }
    void SetCaption(const std::string& text) override;
    std::string Caption() const override { return caption_; }
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }

private:
    HWND hwnd_ = nullptr;
    std::string caption_;
    bool visible_ = false;
};

class Win32ProgressBar final : public ProgressBar {
public:
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    double Value() const override { return value_; }
    void SetValue(double value) override;

private:
    HWND hwnd_ = nullptr;
    double value_ = 0;
};

// A window timer with a fixed id and interval, killed before it is set again.
// One the system refuses stays disabled.
class Win32Timer final : public Timer {
public:
    Win32Timer(UINT_PTR id, UINT interval) : id_(id), interval_(interval) {}
    void Attach(HWND owner) { owner_ = owner; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    UINT_PTR id() const { return id_; }

private:
    HWND owner_ = nullptr;
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};

class Win32Button final : public Control {
public:
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }

private:
    HWND hwnd_ = nullptr;
};

// Every option button of the window as one control. An option made after
// the set was disabled starts disabled too.
class Win32OptionButtons final : public Control {
public:
    void Add(HWND option);
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }

private:
    std::vector<HWND> options_;
    bool enabled_ = true;
};

// A panel whose contents are made the first time it shows.
class Win32Panel final : public Panel {
public:
    void Attach(HWND hwnd, bool visible) { hwnd_ = hwnd; visible_ = visible; }
    void OnFirstShow(std::function<void()> fill) { fill_ = std::move(fill); }
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }

private:
    HWND hwnd_ = nullptr;
    bool visible_ = false;
    std::function<void()> fill_;
};

// The run's dialogs as modal message boxes owned by the main window, each
// the box BoxFor gives it. The window's timers keep ticking while a box is
// open: the box's own message loop dispatches their messages.
class Win32Dialogs final : public RunDialogs {
public:
    void Attach(HWND owner) { owner_ = owner; }
    bool Show(const Dialog& dialog) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace vornix
