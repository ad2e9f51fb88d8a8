// Start-up: one instance only, no debugger, visual styles, then the window,
// its install record and backup detection, and the message loop.
#include "system/win32/WindowsHeaders.h"

#include <commctrl.h>

#include <memory>

#include "app/DynamicLibrary.h"
#include "app/MXPTheme.h"
#include "app/MainWindow.h"
#include "system/win32/ProductInfo.h"
#include "app/Win32ManifestFiles.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32InstanceMutex.h"
#include "system/win32/Win32RegistryApi.h"
#include "system/win32/Win32ShutdownApi.h"
#include "system/win32/Win32VersionSource.h"
#include "system/win32/WideText.h"

namespace {

// COM for the picture loader, from Start (once the window shows) to the end
// of the program. ole32 is loaded then, not with the program
// (DynamicLibrary.h says why).
class ComScope {
public:
    ComScope() = default;
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (ok_) {
            if (auto* uninitialize = ole32_->Get<void WINAPI()>("CoUninitialize")) uninitialize();
        }
    }
    void Start() {
        ole32_ = std::make_unique<vornix::DynamicLibrary>(L"ole32.dll");
        auto* initialize = ole32_->Get<HRESULT WINAPI(LPVOID)>("CoInitialize");
        ok_ = initialize && SUCCEEDED(initialize(nullptr));
    }

private:
    std::unique_ptr<vornix::DynamicLibrary> ole32_;
    bool ok_ = false;
};

int Run(HINSTANCE instance, int showCommand) {
    using namespace vornix;
    // Initialize: a second start ends silently, as does a start under a debugger.
    const Win32InstanceMutex mutex;
    if (mutex.AnotherIsRunning()) return 0;
    if (IsDebuggerPresent()) return 0;

    const ProductInfo product = ReadProductInfo();
    const ExecutablePath exe = ReadExecutablePath();
    Win32CodePage codePage;
    Win32VersionSource version;
    Win32ManifestFiles files;
    InitVisualStyles(exe.baseName + ".exe",
                     MXPThemeServices{files, version, codePage, [] { InitCommonControls(); },
                                      exe.folder, product.productName, sizeof(void*) == 8});

    ComScope com;
    Win32RegistryApi registry;
    Win32ShutdownApi shutdown;
    MainWindow window(instance);
    if (!window.Create(SystemServices{registry, codePage, version, shutdown, {},
                                      product.productName},
                       product)) {
        MessageBoxW(nullptr, L"无法创建程序窗口。", Widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    // Load: the install record and the backup check, before the window shows.
    window.form().Form_Load(exe.folder, exe.baseName);
    window.Show(showCommand);
    com.Start();
    window.LoadPictures();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.hwnd() && IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        return Run(instance, showCommand);
    } catch (...) {
        return 1;
    }
}
