// The main window itself: its creation and showing, and the routing of its
// messages to the window's logic.
#include "app/MainWindow.h"

#include <utility>

#include "app/WindowClasses.h"
#include "system/win32/WindowFunctions.h"

namespace vornix {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {}

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);  // before the fonts and brush its controls use
}

bool MainWindow::Create(SystemServices services, ProductInfo product) {
    product_ = std::move(product);
    if (!RegisterWindowClasses(instance_, WindowProc)) return false;

    // Twips become pixels at the screen's DPI, as the program declares
    // itself DPI-aware in its manifest: the window, its controls, fonts and
    // pictures keep their proportions on a screen of 120 or 144 DPI.
    if (const UniqueScreenDc screen(GetDC(nullptr)); screen) {
        dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    if (dpiX_ <= 0 || dpiY_ <= 0) dpiX_ = dpiY_ = 96;
    maroonBrush_.reset(CreateSolidBrush(kMaroon));

    RECT frame{0, 0, PxX(kClientWidthTwips), PxY(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = win32::MakeWindow(0, kMainClass, kForm1Caption, kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance_, this);
    if (!hwnd_) return false;
    CreateControls();

    tmrOptimize_.Attach(hwnd_);
    tmrBlink_.Attach(hwnd_);
    dialogs_.Attach(hwnd_);
    services.pump = [this] { PumpEvents(); };
    form_ = std::make_unique<Form1>(
        std::move(services),
        Form1Controls{lblOptimizeStatus_, pgbOptimize_, tmrOptimize_, tmrBlink_, cmdOptimize_,
                      cmdRestore_, optionButtons_, lblNext1_, label1_, PanelsOf(panels_),
                      dialogs_});
    return true;
}

void MainWindow::Show(int showCommand) {
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(controls_[LayoutRow(ControlRole::Optimize, -1)]);
}

void MainWindow::PumpEvents() {
    MSG msg;
    while (win32::PeekNextMessage(msg)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop to see
            return;
        }
        if (hwnd_ && win32::IsDialogKey(hwnd_, msg)) continue;
        TranslateMessage(&msg);
        win32::DispatchNext(msg);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(win32::CreateParam(lParam));
        win32::SetUserData(hwnd, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<MainWindow*>(win32::UserData(hwnd));
    }
    if (!self) return win32::DefaultWindowProc(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: the window no longer answers for this object.
        win32::SetUserData(hwnd, 0);
        self->hwnd_ = nullptr;
        return win32::DefaultWindowProc(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the event is dropped.
        return win32::DefaultWindowProc(hwnd, message, wParam, lParam);
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            if (!form_) return 0;
            if (wParam == kOptimizeTimerId) form_->tmrOptimize_Timer();
            if (wParam == kBlinkTimerId) form_->tmrBlink_Timer();
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(
                OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_DESTROY:
            KillTimer(hwnd_, kOptimizeTimerId);
            KillTimer(hwnd_, kBlinkTimerId);
            PostQuitMessage(0);
            return 0;
        default:
            return win32::DefaultWindowProc(hwnd_, message, wParam, lParam);
    }
}

void MainWindow::OnCommand(int id, int code) {
    if (!form_ || code != BN_CLICKED) return;
    const auto layout = Form1Layout();
    const int row = id - kFirstControlId;
    if (row < 0 || static_cast<std::size_t>(row) >= layout.size()) return;
    const ControlSpec& entry = layout[static_cast<std::size_t>(row)];
    switch (entry.role) {
        case ControlRole::Optimize:
            form_->cmdOptimize_Click();
            break;
        case ControlRole::Restore:
            form_->cmdRestore_Click();
            break;
        case ControlRole::About:
            OnAbout();
            break;
        case ControlRole::Method:
            form_->optInternetMethod_Click(static_cast<std::int16_t>(entry.index));
            break;
        case ControlRole::Speed:
            form_->optInternetSpeed_Click(entry.containerIndex + 1,
                                          static_cast<std::int16_t>(entry.index));
            break;
        default:
            break;
    }
}

}  // namespace vornix
