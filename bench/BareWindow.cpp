// The baseline for the start-up measurement: a plain top-level window of the
// program's client size (633 x 281 pixels) and window style, no controls, no
// resources, built with the same toolchain and static flags, GUI subsystem.
// It shows itself centred exactly as the program does and runs a message loop
// until it is closed. StartupProbe times it against the program.
//
// Built a second time with VORNIX_BARE_PROGRAM_IMPORTS (vornix_bare_window_imports)
// it also imports the system DLLs the program imports, without calling into
// them: the difference to the plain bare window is what loading those DLLs
// costs, and the rest of the program's lead is its own work.
#include <windows.h>
#ifdef VORNIX_BARE_PROGRAM_IMPORTS
#include <commctrl.h>
#endif

#include "app/Form1Layout.h"

namespace {

constexpr wchar_t kClass[] = L"VornixBareWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

#ifdef VORNIX_BARE_PROGRAM_IMPORTS
using AnyFunction = void (*)();
// Referenced, never called: the loader resolves them at start-up.
AnyFunction volatile kProgramImports[] = {
    reinterpret_cast<AnyFunction>(&InitCommonControls),
    reinterpret_cast<AnyFunction>(&RegOpenKeyExW),
};
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.lpfnWndProc = BareProc;
    wc.lpszClassName = kClass;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!RegisterClassExW(&wc)) return 1;

    RECT frame{0, 0, vornix::kClientWidthTwips / vornix::kTwipsPerPixel,
               vornix::kClientHeightTwips / vornix::kTwipsPerPixel};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HWND hwnd = CreateWindowExW(0, kClass, L"Vornix bare window", kStyle,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
