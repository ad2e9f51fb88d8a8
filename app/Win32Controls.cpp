#include "app/Win32Controls.h"

#include <commctrl.h>

#include <utility>

#include "system/win32/WindowFunctions.h"

namespace vornix {

void Win32Label::SetCaption(const std::string& text) {
    caption_ = text;
    win32::SetCaption(hwnd_, text);
}

void Win32Label::SetVisible(bool visible) {
    visible_ = visible;
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void Win32ProgressBar::SetValue(double value) {
    value_ = value;
    win32::SendWindowMessage(hwnd_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void Win32Timer::SetEnabled(bool enabled) {
    KillTimer(owner_, id_);
    enabled_ = false;
    if (!enabled) return;
    // A timer the system refuses stays disabled; the run says so.
    enabled_ = SetTimer(owner_, id_, interval_, nullptr) != 0;
}

void Win32OptionButtons::Add(HWND option) {
    options_.push_back(option);
    if (!enabled_) EnableWindow(option, FALSE);
}

void Win32OptionButtons::SetEnabled(bool enabled) {
    enabled_ = enabled;
    for (HWND option : options_) EnableWindow(option, enabled ? TRUE : FALSE);
}

void Win32Panel::SetVisible(bool visible) {
    if (visible && fill_) std::exchange(fill_, nullptr)();
    visible_ = visible;
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Dialogs::Show(const Dialog& dialog) {
    const Box box = BoxFor(dialog);
    return win32::ShowMessageBox(owner_, box.prompt, box.title, static_cast<UINT>(box.style)) ==
           IDYES;
}

}  // namespace vornix
