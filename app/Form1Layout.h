#pragma once
// The main window's controls as data: kind, container, caption, position in
// twips, font, colours and initial state, one row per control, the way a
// form file lists them. Rows run from the front of the window to the back,
// which is also the keyboard focus order of the controls that take focus.
#include <cstddef>
#include <span>

#include "resources/VersionInfo.h"

namespace vornix {

enum class ControlKind { CommandButton, OptionButton, Frame, Label, PictureBox, ProgressBar, Image };
enum class ControlFont { Default, SongTi9, SongTi9Bold };

// What a control is to the window: which of the logic's controls it stands
// for, which event its click raises, and which container holds it. The
// window finds a control's row from its id and acts on the row's role.
enum class ControlRole {
    Window,       // as a container: the window itself
    Optimize,     // cmdOptimize
    Restore,      // cmdRestore
    About,        // cmdAbout
    Method,       // optInternetMethod(index)
    Speed,        // optInternetSpeed1 to 6 (index), on panel containerIndex
    SpeedPanel,   // picInternetSpeed(index)
    MethodFrame,  // fraInternetMethod
    SpeedFrame,   // fraInternetSpeed
    Arrow,        // lblNext1
    Prompt,       // Label2
    Border,       // Label1
    Status,       // lblOptimizeStatus
    Progress,     // pgbOptimize
    Logo,         // Image1
};

// How a control starts and which of its colours are maroon. A row gives
// only what differs: most controls start shown and enabled, in the system's
// colours.
struct ControlFlags {
    bool visible = true;
    bool enabled = true;
    bool maroonText = false;
    bool maroonBack = false;  // the whole control, as the blinking border
};

struct ControlSpec {
    const char* name;       // control name, e.g. "cmdOptimize"
    int index;              // index in its control array, -1 for a single control
    ControlKind kind;
    ControlRole role;
    ControlRole container;  // Window, SpeedPanel, MethodFrame or SpeedFrame
    int containerIndex;     // the container's index, -1 for a single one
    const char* caption;    // nullptr for options: the profile table has their captions
    int left, top, width, height;  // twips, relative to the container
    ControlFont font;
    ControlFlags flags;
};

inline constexpr int kClientWidthTwips = 9495;
inline constexpr int kClientHeightTwips = 4215;
// The banner fills the top 1440 twips at its own proportions: 640 x 96
// pixels at 96 DPI.
inline constexpr int kBannerWidthTwips = 9600;
inline constexpr int kBannerHeightTwips = 1440;
// A point is 20 twips; the controls' font is 9 points.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kFontPoints = 9;
// Twips per pixel on a 96-DPI screen, the size a window of this layout has
// there (the start-up benchmark's bare window uses it).
inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels on a screen of `dpi` dots per inch, the fraction dropped:
// 9495 twips are 633 pixels at 96 DPI, 791 at 120 and 949 at 144.
constexpr int TwipsToPixels(int twips, int dpi) { return twips * dpi / kTwipsPerInch; }
// Pixels to twips, rounded up, so that converting back gives the pixels again.
constexpr int PixelsToTwips(int pixels, int dpi) {
    return (pixels * kTwipsPerInch + dpi - 1) / dpi;
}
// The height in pixels of a font of `points` points at `dpi`, rounded as
// the system rounds it (9 points are 12 pixels at 96 DPI, 15 at 120, 18 at 144).
constexpr int PointsToPixels(int points, int dpi) { return (points * dpi + 36) / 72; }

inline constexpr unsigned kMaroon = 0x000080;  // RGB(128, 0, 0) as a COLORREF

inline constexpr const char* kForm1Caption = VORNIX_PRODUCT_NAME " - 提升您的网速，远远超过以前！";

std::span<const ControlSpec> Form1Layout();

// Control ids: 1000 plus the control's row in the layout.
inline constexpr int kFirstControlId = 1000;
// The id of the control `name`(`index`), 0 when there is none: for test
// drivers, which find controls by name.
int ControlId(const char* name, int index = -1);
// The row of the control with `role` and `index`. Every container a row
// names has its row (the layout's unit test checks it).
std::size_t LayoutRow(ControlRole role, int index);

}  // namespace vornix
