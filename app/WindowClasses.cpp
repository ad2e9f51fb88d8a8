#include "app/WindowClasses.h"

#include "resources/VersionInfo.h"
#include "system/win32/WindowFunctions.h"

namespace vornix {
namespace {

// A frame: an opaque panel with an etched border and its caption on the top
// edge. Opaque, so the blinking border behind the method frame shows only
// around it.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            win32::SetUserData(hwnd, static_cast<LONG_PTR>(wParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            HFONT font = reinterpret_cast<HFONT>(win32::UserData(hwnd));
            HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
            // The caption starts 8 pixels in at 96 DPI, as far in at any other.
            const int indent = MulDiv(8, GetDeviceCaps(dc, LOGPIXELSX), 96);
            RECT border = rc;
            border.top = win32::LineHeight(dc) / 2;
            DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            SetBkMode(dc, OPAQUE);
            win32::DrawTextAt(dc, indent, 0, win32::Caption(hwnd));
            if (old) SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return win32::DefaultWindowProc(hwnd, message, wParam, lParam);
    }
}

// A speed panel: holds one group of option buttons and hands their
// notifications to the main window.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return win32::SendWindowMessage(GetParent(hwnd), message, wParam, lParam);
        default:
            return win32::DefaultWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc) {
    win32::WindowClass wc{kFrameClass, FrameProc, instance, win32::LoadStockCursor(32512),  // IDC_ARROW
                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, nullptr};
    if (!win32::RegisterWindowClass(wc)) return false;
    wc.name = kPanelClass;
    wc.procedure = PanelProc;
    if (!win32::RegisterWindowClass(wc)) return false;
    wc.name = kMainClass;
    wc.procedure = mainProc;
    wc.icon = win32::LoadIconResource(instance, IDI_APP);
    wc.smallIcon = win32::LoadIconResource(instance, IDI_APP, GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON));
    return win32::RegisterWindowClass(wc);
}

}  // namespace vornix
