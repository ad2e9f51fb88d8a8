#include "app/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/AboutText.h"
#include "app/DynamicLibrary.h"
#include "app/Form1Layout.h"
#include "system/win32/WideText.h"
#include "profiles/ConnectionProfiles.h"
#include "resources/VersionInfo.h"

namespace vornix {
namespace {

constexpr wchar_t kMainClass[] = L"VornixInternetOptimizerForm1";
constexpr wchar_t kFrameClass[] = L"VornixFrame";
constexpr wchar_t kPanelClass[] = L"VornixPanel";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

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

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = kFrameClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return true;
}

// The layout row of the control with `role` and `index`. Every container a
// row names has its row (the layout's unit test checks it).
std::size_t RowOf(ControlRole role, int index) {
    const auto layout = Form1Layout();
    for (std::size_t row = 0; row < layout.size(); ++row) {
        if (layout[row].role == role && layout[row].index == index) return row;
    }
    return 0;
}

HFONT SongTi(bool bold, int dpi) {
    // 宋体 9 points at the screen's DPI, GB2312 character set.
    return CreateFontW(-PointsToPixels(kFontPoints, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"宋体");
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {}

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
    if (maroonBrush_) DeleteObject(maroonBrush_);
}

bool MainWindow::Create(SystemServices services, ProductInfo product) {
    product_ = std::move(product);
    if (!RegisterClasses(instance_)) return false;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance_;
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = kMainClass;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // Twips become pixels at the screen's DPI, as the program declares
    // itself DPI-aware in its manifest: the window, its controls, fonts and
    // pictures keep their proportions on a screen of 120 or 144 DPI.
    if (HDC screen = GetDC(nullptr)) {
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    if (dpiX_ <= 0 || dpiY_ <= 0) dpiX_ = dpiY_ = 96;
    font_ = SongTi(false, dpiY_);
    boldFont_ = SongTi(true, dpiY_);
    maroonBrush_ = CreateSolidBrush(kMaroon);

    RECT frame{0, 0, PxX(kClientWidthTwips), PxY(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = CreateWindowExW(0, kMainClass, Widen(kForm1Caption).c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    if (!hwnd_) return false;
    CreateControls();

    tmrOptimize_.Attach(hwnd_);
    tmrBlink_.Attach(hwnd_);
    boxes_.Attach(hwnd_);
    services.pump = [this] { PumpEvents(); };
    form_ = std::make_unique<Form1>(
        std::move(services),
        Form1Controls{lblOptimizeStatus_, pgbOptimize_, tmrOptimize_, tmrBlink_, cmdOptimize_,
                      cmdRestore_, optionButtons_, lblNext1_, label1_,
                      {&panels_[0], &panels_[1], &panels_[2], &panels_[3], &panels_[4],
                       &panels_[5]},
                      dialogs_});
    return true;
}

void MainWindow::CreateControls() {
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
        const std::size_t owner = RowOf(entry.container, entry.containerIndex);
        if (layout[owner].kind == ControlKind::PictureBox) {
            parent = controls_[owner];  // a real container
            width = std::min(width, layout[owner].width - left);
        } else {
            left += layout[owner].left;  // frames only frame: place on the window
            top += layout[owner].top;
        }
    }
    std::wstring caption;
    if (entry.caption) {
        caption = Widen(entry.caption);
    } else if (entry.role == ControlRole::Speed) {
        caption = Widen(ConnectionMethods()[static_cast<std::size_t>(entry.containerIndex)]
                            .speeds[static_cast<std::size_t>(entry.index)]
                            .caption);
    }
    HFONT font = entry.font == ControlFont::SongTi9Bold ? boldFont_ : font_;
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (entry.visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    switch (entry.kind) {
        case ControlKind::CommandButton:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::OptionButton: {
            cls = L"BUTTON";
            style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
            if (entry.index == 0) style |= WS_GROUP;
            // An option is as wide as its caption and its button need (24
            // pixels at 96 DPI), up to its width.
            HDC dc = GetDC(hwnd_);
            HGDIOBJ old = SelectObject(dc, font);
            SIZE size{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(hwnd_, dc);
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
            cls = PROGRESS_CLASSW;
            break;
        case ControlKind::Image:
            return;  // drawn by the window itself, like the banner
    }
    // The first control after the method options ends their group.
    if (row > 0 && layout[row - 1].role == ControlRole::Method && entry.role != ControlRole::Method) {
        style |= WS_GROUP;
    }
    HWND control = CreateWindowExW(
        exStyle, cls, caption.c_str(), style, PxX(left), PxY(top), PxX(width), PxY(entry.height),
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(row))),
        instance_, nullptr);
    controls_[row] = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!entry.enabled) EnableWindow(control, FALSE);

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
            if (entry.index == 0) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case ControlRole::SpeedPanel:
            panels_[static_cast<std::size_t>(entry.index)].Attach(control, entry.visible);
            break;
        case ControlRole::Arrow:
            lblNext1_.Attach(control, entry.visible);
            break;
        case ControlRole::Border:
            label1_.Attach(control, entry.visible);
            break;
        case ControlRole::Status:
            lblOptimizeStatus_.Attach(control, entry.visible);
            break;
        case ControlRole::Progress:
            pgbOptimize_.Attach(control);
            SendMessageW(control, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
            break;
        default:  // the window draws or leaves the rest alone
            break;
    }
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
    SetFocus(controls_[RowOf(ControlRole::Optimize, -1)]);
}

void MainWindow::LoadPictures() {
    // The banner at twice its size is the sharper source for a banner box
    // larger than the banner's own 640 x 96 pixels.
    const bool large = PxX(kBannerWidthTwips) > 640 || PxY(kBannerHeightTwips) > 96;
    banner_.Load(instance_, large ? IDR_BANNER_2X : IDR_BANNER);
    logo_.Load(instance_, IDR_LOGO);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::PumpEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop to see
            return;
        }
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: the window no longer answers for this object.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the event is dropped.
        return DefWindowProcW(hwnd, message, wParam, lParam);
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
            return DefWindowProcW(hwnd_, message, wParam, lParam);
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
        if (entry.maroonBack) return maroonBrush_;
        if (entry.maroonText) SetTextColor(dc, kMaroon);
    }
    return GetSysColorBrush(COLOR_BTNFACE);
}

void MainWindow::OnAbout() {
    const ProductInfo& v = product_;
    const int answer = MessageBoxW(hwnd_, Widen(AboutText(v.major, v.minor, v.revision)).c_str(),
                                   Widen(kAboutTitle).c_str(), MB_OK | MB_ICONINFORMATION);
    // An OK-only box answers OK also when closed with Esc or the close button.
    if (answer == IDOK) {
        // Loaded on first use and kept: the shell may go on working in
        // threads of its own after the call returns.
        if (!shell32_) shell32_ = std::make_unique<DynamicLibrary>(L"shell32.dll");
        using ShellExecuteFn = HINSTANCE WINAPI(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
        if (auto* shellExecute = shell32_->Get<ShellExecuteFn>("ShellExecuteA")) {
            shellExecute(hwnd_, nullptr, kHomePage, nullptr, nullptr, SW_SHOWMAXIMIZED);
        }
    }
}

}  // namespace vornix
