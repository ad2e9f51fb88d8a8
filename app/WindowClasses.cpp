#include "app/WindowClasses.h"

#include "resources/VersionInfo.h"

namespace vornix {
namespace {

// A frame: an opaque panel with an etched border and its caption on the top
// edge. Opaque, so the blinking border behind the method frame shows only
// around it.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            // The caption starts 8 pixels in at 96 DPI, as far in at any other.
            const int indent = MulDiv(8, GetDeviceCaps(dc, LOGPIXELSX), 96);
            RECT border = rc;
            border.top = tm.tmHeight / 2;
            DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
            wchar_t text[128] = {};
            const int length = GetWindowTextW(hwnd, text, 128);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            SetBkMode(dc, OPAQUE);
            TextOutW(dc, indent, 0, text, length);
            if (old) SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// A speed panel: holds one group of option buttons and hands their
// notifications to the main window.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetParent(hwnd), message, wParam, lParam);
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    auto registered = [&](const wchar_t* name, WNDPROC proc) {
        wc.lpszClassName = name;
        wc.lpfnWndProc = proc;
        return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    if (!registered(kFrameClass, FrameProc) || !registered(kPanelClass, PanelProc)) return false;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    return registered(kMainClass, mainProc);
}

}  // namespace vornix
