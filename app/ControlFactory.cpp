// Builds the main window's controls from the layout rows, in the fonts of
// the screen's DPI, and hands each to the object the window's logic drives
// it through.
#include "app/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "app/WindowClasses.h"
#include "profiles/ConnectionProfiles.h"
#include "system/win32/WindowFunctions.h"

namespace vornix {
namespace {

HFONT SongTi(bool bold, int dpi) {
    // 宋体 9 points at the screen's DPI, GB2312 character set.
    return win32::MakeFont(-PointsToPixels(kFontPoints, dpi), bold ? FW_BOLD : FW_NORMAL,
                           GB2312_CHARSET, "宋体");
}

}  // namespace

void MainWindow::CreateControls() {
    font_.reset(SongTi(false, dpiY_));
    boldFont_.reset(SongTi(true, dpiY_));
    const auto layout = Form1Layout();
    controls_.assign(layout.size(), nullptr);
    // Rows run front to back: each new child goes below the ones before it,
    // which also makes the rows' order the keyboard focus order. The options
    // of a speed panel are made when the panel first shows: most starts show
    // one panel or none, and making all 32 options at load cost every start
    // about 3.5 ms under Wine (scripts/bench.sh startup).
    for (std::size_t row = 0; row < layout.size(); ++row) {
        if (layout[row].container != ControlRole::SpeedPanel) CreateControl(row);
    }
    for (std::size_t k = 0; k < panels_.size(); ++k) {
        panels_[k].OnFirstShow([this, k] {
            const auto rows = Form1Layout();
            for (std::size_t row = 0; row < rows.size(); ++row) {
                if (rows[row].container == ControlRole::SpeedPanel &&
                    rows[row].containerIndex == static_cast<int>(k)) {
                    CreateControl(row);
                }
            }
        });
    }
}

void MainWindow::CreateControl(std::size_t row) {
    const auto layout = Form1Layout();
    const ControlSpec& entry = layout[row];
    HWND parent = hwnd_;
    int left = entry.left;
    int top = entry.top;
    int width = entry.width;
    if (entry.container != ControlRole::Window) {
        const std::size_t owner = LayoutRow(entry.container, entry.containerIndex);
        if (layout[owner].kind == ControlKind::PictureBox) {
            parent = controls_[owner];  // a real container
            width = std::min(width, layout[owner].width - left);
        } else {
            left += layout[owner].left;  // frames only frame: place on the window
            top += layout[owner].top;
        }
    }
    std::string caption;
    if (entry.caption) {
        caption = entry.caption;
    } else if (entry.role == ControlRole::Method || entry.role == ControlRole::Speed) {
        const auto& method = ConnectionMethods()[static_cast<std::size_t>(
            entry.role == ControlRole::Method ? entry.index : entry.containerIndex)];
        caption = entry.role == ControlRole::Method
                      ? method.caption
                      : method.speeds[static_cast<std::size_t>(entry.index)].caption;
    }
    HFONT font = (entry.font == ControlFont::SongTi9Bold ? boldFont_ : font_).get();
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (entry.flags.visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    switch (entry.kind) {
        case ControlKind::CommandButton:
            cls = "BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::OptionButton: {
            cls = "BUTTON";
            style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
            if (entry.index == 0) style |= WS_GROUP;
            // An option is as wide as its caption and its button need (24
            // pixels at 96 DPI), up to its width.
            const UniqueScreenDc dc(GetDC(nullptr));
            HGDIOBJ old = SelectObject(dc.get(), font);
            const SIZE size = win32::TextExtent(dc.get(), caption);
            SelectObject(dc.get(), old);
            const int needed = static_cast<int>(size.cx) + MulDiv(24, dpiX_, 96);
            width = std::min(width, PixelsToTwips(needed, dpiX_));
            break;
        }
        case ControlKind::Frame:
            cls = kFrameClass;
            break;
        case ControlKind::Label:
            style |= SS_NOPREFIX;
            break;
        case ControlKind::PictureBox:
            cls = kPanelClass;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case ControlKind::ProgressBar:
            cls = PROGRESS_CLASSA;
            break;
        case ControlKind::Image:
            return;  // drawn by the window itself, like the banner
    }
    // The first control after the method options ends their group.
    if (row > 0 && layout[row - 1].role == ControlRole::Method && entry.role != ControlRole::Method) {
        style |= WS_GROUP;
    }
    HWND control = win32::MakeWindow(
        exStyle, cls, caption, style, PxX(left), PxY(top), PxX(width), PxY(entry.height), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(row))),
        instance_, nullptr);
    controls_[row] = control;
    win32::SendWindowMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!entry.flags.enabled) EnableWindow(control, FALSE);

    // Hand the control to the object the window's logic drives it through.
    switch (entry.role) {
        case ControlRole::Optimize:
            cmdOptimize_.Attach(control);
            break;
        case ControlRole::Restore:
            cmdRestore_.Attach(control);
            break;
        case ControlRole::Method:
            optionButtons_.Add(control);
            break;
        case ControlRole::Speed:
            optionButtons_.Add(control);
            // Option 0 of every speed panel starts selected; no method does.
            if (entry.index == 0) win32::SendWindowMessage(control, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case ControlRole::SpeedPanel:
            panels_[static_cast<std::size_t>(entry.index)].Attach(control, entry.flags.visible);
            break;
        case ControlRole::Arrow:
            lblNext1_.Attach(control, entry.flags.visible);
            break;
        case ControlRole::Border:
            label1_.Attach(control, entry.flags.visible);
            break;
        case ControlRole::Status:
            lblOptimizeStatus_.Attach(control, entry.flags.visible);
            break;
        case ControlRole::Progress:
            pgbOptimize_.Attach(control);
            win32::SendWindowMessage(control, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
            break;
        default:  // the window draws or leaves the rest alone
            break;
    }
}

}  // namespace vornix
