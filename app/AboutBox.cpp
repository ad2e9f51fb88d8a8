// The About box: name, version and credits, then the home page in the
// browser once it is closed.
#include "app/MainWindow.h"

#include "app/AboutText.h"
#include "system/win32/WindowFunctions.h"

namespace vornix {

void MainWindow::OnAbout() {
    const ProductInfo& v = product_;
    const int answer = win32::ShowMessageBox(hwnd_, AboutText(v.major, v.minor, v.revision),
                                             kAboutTitle, MB_OK | MB_ICONINFORMATION);
    // An OK-only box answers OK also when closed with Esc or the close button.
    if (answer == IDOK) {
        // Loaded on first use and kept: the shell may go on working in
        // threads of its own after the call returns.
        if (!shell32_) shell32_ = std::make_unique<DynamicLibrary>("shell32.dll");
        using ShellExecuteFn = HINSTANCE WINAPI(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
        if (auto* shellExecute = shell32_->Get<ShellExecuteFn>("ShellExecuteA")) {
            shellExecute(hwnd_, nullptr, kHomePage, nullptr, nullptr, SW_SHOWMAXIMIZED);
        }
    }
}

}  // namespace vornix
