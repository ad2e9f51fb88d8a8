// The main window's own drawing, the banner and the logo, and the colours
// of its controls.
#include "app/MainWindow.h"

#include "resources/VersionInfo.h"

namespace vornix {

void MainWindow::LoadPictures() {
    // The banner at twice its size is the sharper source for a banner box
    // larger than the banner's own 640 x 96 pixels.
    const bool large = PxX(kBannerWidthTwips) > 640 || PxY(kBannerHeightTwips) > 96;
    banner_.Load(instance_, large ? IDR_BANNER_2X : IDR_BANNER);
    logo_.Load(instance_, IDR_LOGO);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // The banner in the top-left corner, the logo stretched to the image
    // control's rectangle over it, both at the screen's DPI. Scaled to
    // another DPI they are smoothed; at 96 DPI they keep the look they have
    // always had.
    if (dpiX_ != 96 || dpiY_ != 96) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    banner_.Draw(dc, 0, 0, PxX(kBannerWidthTwips), PxY(kBannerHeightTwips));
    for (const ControlSpec& entry : Form1Layout()) {
        if (entry.kind == ControlKind::Image) {
            logo_.Draw(dc, PxX(entry.left), PxY(entry.top), PxX(entry.width), PxY(entry.height));
        }
    }
    EndPaint(hwnd_, &ps);
}

HBRUSH MainWindow::OnControlColor(HDC dc, HWND control) {
    const int row = GetDlgCtrlID(control) - kFirstControlId;
    const auto layout = Form1Layout();
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    if (row >= 0 && static_cast<std::size_t>(row) < layout.size()) {
        const ControlSpec& entry = layout[static_cast<std::size_t>(row)];
        if (entry.flags.maroonBack) return maroonBrush_.get();
        if (entry.flags.maroonText) SetTextColor(dc, kMaroon);
    }
    return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace vornix
