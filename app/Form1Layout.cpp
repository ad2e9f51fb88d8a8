#include "app/Form1Layout.h"

#include <cstring>

#include "engine/RunTexts.h"

namespace vornix {
namespace {

using K = ControlKind;
using R = ControlRole;
using F = ControlFont;

// name, index, kind, role, container, container index, caption,
// left, top, width, height (twips), font, flags ({} for shown, enabled, system colours)
constexpr ControlSpec kLayout[] = {
    {"cmdOptimize", -1, K::CommandButton, R::Optimize, R::Window, -1, "优化", 7680, 2160, 1695, 855, F::SongTi9, {}},
    {"optInternetMethod", 0, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 1920, 3495, 255, F::Default, {}},
    {"optInternetMethod", 1, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 2160, 3495, 255, F::Default, {}},
    {"optInternetMethod", 2, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 2400, 3495, 255, F::Default, {}},
    {"optInternetMethod", 3, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 2640, 3495, 255, F::Default, {}},
    {"optInternetMethod", 4, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 2880, 3495, 255, F::Default, {}},
    {"optInternetMethod", 5, K::OptionButton, R::Method, R::Window, -1, nullptr, 240, 3120, 3495, 255, F::Default, {}},
    {"picInternetSpeed", 0, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed1", 0, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 1, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 2, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 3, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 120, 840, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 4, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 120, 1080, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 5, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 1680, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 6, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 1680, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 7, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 1680, 600, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 8, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 1680, 840, 2775, 255, F::Default, {}},
    {"optInternetSpeed1", 9, K::OptionButton, R::Speed, R::SpeedPanel, 0, nullptr, 1680, 1080, 2775, 255, F::Default, {}},
    {"picInternetSpeed", 1, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed2", 0, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed2", 1, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed2", 2, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"optInternetSpeed2", 3, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 120, 840, 2775, 255, F::Default, {}},
    {"optInternetSpeed2", 4, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 120, 1080, 2775, 255, F::Default, {}},
    {"optInternetSpeed2", 5, K::OptionButton, R::Speed, R::SpeedPanel, 1, nullptr, 1680, 120, 2775, 255, F::Default, {}},
    {"picInternetSpeed", 2, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed3", 0, K::OptionButton, R::Speed, R::SpeedPanel, 2, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed3", 1, K::OptionButton, R::Speed, R::SpeedPanel, 2, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed3", 2, K::OptionButton, R::Speed, R::SpeedPanel, 2, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"optInternetSpeed3", 3, K::OptionButton, R::Speed, R::SpeedPanel, 2, nullptr, 120, 840, 2775, 255, F::Default, {}},
    {"optInternetSpeed3", 4, K::OptionButton, R::Speed, R::SpeedPanel, 2, nullptr, 120, 1080, 2775, 255, F::Default, {}},
    {"picInternetSpeed", 3, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed4", 0, K::OptionButton, R::Speed, R::SpeedPanel, 3, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed4", 1, K::OptionButton, R::Speed, R::SpeedPanel, 3, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed4", 2, K::OptionButton, R::Speed, R::SpeedPanel, 3, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"optInternetSpeed4", 3, K::OptionButton, R::Speed, R::SpeedPanel, 3, nullptr, 120, 840, 2775, 255, F::Default, {}},
    {"optInternetSpeed4", 4, K::OptionButton, R::Speed, R::SpeedPanel, 3, nullptr, 120, 1080, 2775, 255, F::Default, {}},
    {"picInternetSpeed", 4, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed5", 0, K::OptionButton, R::Speed, R::SpeedPanel, 4, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed5", 1, K::OptionButton, R::Speed, R::SpeedPanel, 4, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed5", 2, K::OptionButton, R::Speed, R::SpeedPanel, 4, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"picInternetSpeed", 5, K::PictureBox, R::SpeedPanel, R::Window, -1, nullptr, 4200, 1800, 3255, 1575, F::Default, {.visible = false}},
    {"optInternetSpeed6", 0, K::OptionButton, R::Speed, R::SpeedPanel, 5, nullptr, 120, 120, 2775, 255, F::Default, {}},
    {"optInternetSpeed6", 1, K::OptionButton, R::Speed, R::SpeedPanel, 5, nullptr, 120, 360, 2775, 255, F::Default, {}},
    {"optInternetSpeed6", 2, K::OptionButton, R::Speed, R::SpeedPanel, 5, nullptr, 120, 600, 2775, 255, F::Default, {}},
    {"cmdAbout", -1, K::CommandButton, R::About, R::Window, -1, "?", 7560, 3600, 375, 375, F::SongTi9Bold, {}},
    {"cmdRestore", -1, K::CommandButton, R::Restore, R::Window, -1, "还原系统设置", 8040, 3480, 1335, 615, F::Default, {.enabled = false}},
    {"lblNext1", -1, K::Label, R::Arrow, R::MethodFrame, -1, "=>", 3000, 720, 735, 615, F::SongTi9Bold, {.visible = false, .maroonText = true}},
    {"Label2", -1, K::Label, R::Prompt, R::SpeedFrame, -1, text::kChooseMethodPrompt, 120, 720, 3255, 735, F::SongTi9, {.maroonText = true}},
    {"lblOptimizeStatus", -1, K::Label, R::Status, R::Window, -1, "", 120, 3600, 7335, 255, F::Default, {}},
    {"pgbOptimize", -1, K::ProgressBar, R::Progress, R::Window, -1, nullptr, 120, 3840, 7335, 255, F::Default, {}},
    {"Image1", -1, K::Image, R::Logo, R::Window, -1, nullptr, 240, 360, 615, 615, F::Default, {}},
    {"fraInternetMethod", -1, K::Frame, R::MethodFrame, R::Window, -1, "选择你的网络连接方式", 120, 1560, 3855, 1935, F::Default, {}},
    {"fraInternetSpeed", -1, K::Frame, R::SpeedFrame, R::Window, -1, "选择你的网速", 4080, 1560, 3495, 1935, F::Default, {}},
    {"Label1", -1, K::Label, R::Border, R::Window, -1, "", 0, 1440, 4095, 2175, F::Default, {.visible = false, .maroonBack = true}},
};

}  // namespace

std::span<const ControlSpec> Form1Layout() { return kLayout; }

int ControlId(const char* name, int index) {
    const auto layout = Form1Layout();
    for (std::size_t row = 0; row < layout.size(); ++row) {
        if (std::strcmp(layout[row].name, name) == 0 && layout[row].index == index) {
            return kFirstControlId + static_cast<int>(row);
        }
    }
    return 0;
}

std::size_t LayoutRow(ControlRole role, int index) {
    const auto layout = Form1Layout();
    for (std::size_t row = 0; row < layout.size(); ++row) {
        if (layout[row].role == role && layout[row].index == index) return row;
    }
    return 0;
}

}  // namespace vornix
