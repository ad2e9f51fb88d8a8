#pragma once
// The program's window classes: the main window's, whose procedure is
// MainWindow's, its frames' (an etched border with the caption on its top
// edge) and its speed panels' (which pass their options' notices on).
#include "system/win32/WindowsHeaders.h"

namespace vornix {

inline constexpr wchar_t kMainClass[] = L"VornixInternetOptimizerForm1";
inline constexpr wchar_t kFrameClass[] = L"VornixFrame";
inline constexpr wchar_t kPanelClass[] = L"VornixPanel";

// False when a class could not be registered; one registered already counts.
bool RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc);

}  // namespace vornix
