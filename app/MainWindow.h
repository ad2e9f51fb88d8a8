#pragma once
// The program's one window: builds its controls from the layout table
// (ControlFactory.cpp), draws the banner and the logo (WindowPaint.cpp),
// shows the About box (AboutBox.cpp) and forwards every event to the
// window's logic, Form1 (MainWindow.cpp). No exception leaves its procedure.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "system/win32/WindowsHeaders.h"

#include "app/Form1Layout.h"
#include "app/DynamicLibrary.h"
#include "app/Picture.h"
#include "system/win32/ProductInfo.h"
#include "app/Win32Controls.h"
#include "engine/Form1.h"
#include "system/win32/UniqueHandles.h"

namespace vornix {

// The screen's device context, released with its owner.
inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using UniqueScreenDc = UniqueAny<HDC, &ReleaseScreenDc>;

class MainWindow {
public:
    static constexpr UINT_PTR kBlinkTimerId = 1;
    static constexpr UINT_PTR kOptimizeTimerId = 2;

    explicit MainWindow(HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window and its controls, hidden, and the logic over
    // `services` (whose event pump this window supplies). False on failure.
    bool Create(SystemServices services, ProductInfo product);
    Form1& form() { return *form_; }
    HWND hwnd() const { return hwnd_; }
    // Centres the window on the screen, shows it and puts the focus on Optimize.
    void Show(int showCommand);

    // Decodes the banner and the logo and repaints. Done once the window
    // shows, so that starting COM and decoding do not hold up its first
    // appearance.
    void LoadPictures();

    // Dispatches every pending message, as the registry walk asks between entries.
    void PumpEvents();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void CreateControl(std::size_t row);
    void OnCommand(int id, int code);
    void OnPaint();
    HBRUSH OnControlColor(HDC dc, HWND control);
    void OnAbout();
    // Twips to pixels across and down at the screen's DPI.
    int PxX(int twips) const { return TwipsToPixels(twips, dpiX_); }
    int PxY(int twips) const { return TwipsToPixels(twips, dpiY_); }

    HINSTANCE instance_;
    ProductInfo product_;
    HWND hwnd_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
    UniqueFont font_;
    UniqueFont boldFont_;
    UniqueBrush maroonBrush_;
    Picture banner_;
    Picture logo_;
    std::vector<HWND> controls_;  // by layout row

    Win32Label lblOptimizeStatus_, lblNext1_, label1_;
    Win32ProgressBar pgbOptimize_;
    Win32Timer tmrOptimize_{kOptimizeTimerId, 50};
    Win32Timer tmrBlink_{kBlinkTimerId, 500};
    Win32Button cmdOptimize_;
    Win32Button cmdRestore_;
    Win32OptionButtons optionButtons_;
    std::array<Win32Panel, kMethodCount> panels_;
    Win32Dialogs dialogs_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<DynamicLibrary> shell32_;
};

}  // namespace vornix
