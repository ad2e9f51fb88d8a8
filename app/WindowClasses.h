#pragma once
// The program's window classes: the main window's, whose procedure is
// MainWindow's, its frames' (an etched border with the caption on its top
// edge) and its speed panels' (which pass their options' notices on).
#include "system/win32/WindowsHeaders.h"

namespace vornix {

inline constexpr char kMainClass[] = "VornixInternetOptimizerForm1";
inline constexpr char kFrameClass[] = "VornixFrame";
inline constexpr char kPanelClass[] = "VornixPanel";

// False when a class could not be registered; one registered already counts.
bool RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc);

}  // namespace vornix
