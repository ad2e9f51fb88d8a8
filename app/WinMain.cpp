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
#include "system/win32/WindowFunctions.h"

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
        ole32_ = std::make_unique<vornix::DynamicLibrary>("ole32.dll");
        auto* initialize = ole32_->Get<HRESULT WINAPI(LPVOID)>("CoInitialize");
        ok_ = initialize && SUCCEEDED(initialize(nullptr));
    }

private:
    std::unique_ptr<vornix::DynamicLibrary> ole32_;
    bool ok_ = false;
};

// Windows 95 has no IsDebuggerPresent; a system without it has no debugger
// that the check could find.
bool DebuggerPresent() {
    using IsDebuggerPresentFn = BOOL WINAPI();
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    auto* isDebuggerPresent = kernel32 ? reinterpret_cast<IsDebuggerPresentFn*>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel32, "IsDebuggerPresent")))
                                       : nullptr;
    return isDebuggerPresent && isDebuggerPresent();
}

int Run(HINSTANCE instance, int showCommand) {
    using namespace vornix;
    // Initialize: a second start ends silently, as does a start under a debugger.
    const Win32InstanceMutex mutex;
    if (mutex.AnotherIsRunning()) return 0;
    if (DebuggerPresent()) return 0;

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
        win32::ShowMessageBox(nullptr, "无法创建程序窗口。", kAppTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    // Load: the install record and the backup check, before the window shows.
    window.form().Form_Load(exe.folder, exe.baseName);
    window.Show(showCommand);
    com.Start();
    window.LoadPictures();

    MSG msg{};
    while (win32::NextMessage(msg) > 0) {
        if (window.hwnd() && win32::IsDialogKey(window.hwnd(), msg)) continue;
        TranslateMessage(&msg);
        win32::DispatchNext(msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

// The narrow entry point: the wide start-up of the C run time is not made
// for Windows 95/98/ME. The command line is not used.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        return Run(instance, showCommand);
    } catch (...) {
        return 1;
    }
}
