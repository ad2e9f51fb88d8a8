// The window shell's portable pieces: the manifest written for the themed
// look, the About text, and the layout table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "app/AboutText.h"
#include "app/Form1Layout.h"
#include "app/MXPTheme.h"
#include "system/VersionResource.h"
#include "profiles/ConnectionProfiles.h"
#include "support/RegistryBackends.h"

namespace vornix::test {
namespace {

class FakeFiles final : public ManifestFiles {
public:
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool WriteComplete(const std::string& path, const std::string& bytes,
                       std::uint32_t attributes) override {
        if (readOnlyFolder) return false;
        files[path] = {bytes, attributes};
        return true;
    }
    struct File {
        std::string bytes;
        std::uint32_t attributes;
    };
    std::map<std::string, File> files;
    bool readOnlyFolder = false;
};

struct ThemeRun {
    FakeFiles files;
    SettableVersionSource version;
    int commonControls = 0;
    void Start(const std::string& folder = "C:\\Program Files\\Vornix", bool is64 = false) {
        InitVisualStyles("VornixInternetOptimizer.exe",
                         {files, version, TestCodePage(), [this] { ++commonControls; }, folder,
                          "Vornix Internet Optimizer", is64});
    }
};

TEST(MXPTheme, ManifestHasItsTwentyTwoLinesAndTheBuildsArchitecture) {
    const std::string text = ManifestText("Vornix Internet Optimizer", false);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(22u, lines);
    EXPECT_EQ(0u, text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n", 0));
    EXPECT_NE(std::string::npos,
              text.find("\r\n<assemblyIdentity\r\nversion=\"1.0.0.0\"\r\nprocessorArchitecture=\"X86\"\r\n"
                        "name=\"Microsoft.VisualBasic6.IDE\"\r\ntype=\"win32\"\r\n/>\r\n"
                        "<description>Vornix Internet Optimizer</description>\r\n"));
    EXPECT_NE(std::string::npos, text.find("publicKeyToken=\"6595b64144ccf1df\"\r\nlanguage=\"*\"\r\n"));
    EXPECT_EQ("</assembly>\r\n", text.substr(text.size() - 13));
    EXPECT_EQ(std::string::npos, text.find("amd64"));
    const std::string x64 = ManifestText("Vornix Internet Optimizer", true);
    EXPECT_EQ(std::string::npos, x64.find("X86"));
    EXPECT_EQ(2u, [&] {
        std::size_t n = 0;
        for (auto at = x64.find("processorArchitecture=\"amd64\""); at != std::string::npos;
             at = x64.find("processorArchitecture=\"amd64\"", at + 1)) {
            ++n;
        }
        return n;
    }());
}

TEST(MXPTheme, WritesOnlyOnNt5AndNeverOverAnExistingFile) {
    struct Case {
        std::uint32_t platform, major, minor;
        bool writes;
    } cases[] = {{2, 5, 1, true},  {2, 5, 0, true},  {2, 5, 2, true}, {1, 4, 10, false},
                 {2, 4, 0, false}, {2, 6, 0, false}, {2, 10, 0, false}};
    for (const Case& c : cases) {
        ThemeRun run;
        run.version.Set(c.platform, c.major, c.minor);
        run.Start();
        EXPECT_EQ(c.writes ? 1u : 0u, run.files.files.size()) << c.major << "." << c.minor;
        EXPECT_EQ(1, run.commonControls);
    }
    ThemeRun xp;
    xp.Start("C:\\", true);
    const std::string path = "C:\\\\VornixInternetOptimizer.exe.manifest";
    ASSERT_EQ(1u, xp.files.files.count(path)) << "a drive root gives two backslashes";
    EXPECT_EQ(7u, xp.files.files[path].attributes);
    EXPECT_EQ(ManifestText("Vornix Internet Optimizer", true), xp.files.files[path].bytes);
    xp.files.files[path].bytes = "mine";
    xp.Start("C:\\", true);
    EXPECT_EQ("mine", xp.files.files[path].bytes);
    EXPECT_EQ(2, xp.commonControls);

    ThemeRun failing;
    failing.version.SetFailing();
    failing.Start();
    EXPECT_TRUE(failing.files.files.empty());
    ThemeRun readOnly;
    readOnly.files.readOnlyFolder = true;
    readOnly.Start();
    EXPECT_EQ(1, readOnly.commonControls);
}

TEST(AboutText, NumbersLoseTheirLeadingZeros) {
    EXPECT_EQ("Vornix Internet Optimizer v1.0.2\r\n\r\n软件开发：Vornix 开发组，2026年。\r\n"
              " 软件汉化：Vornix 本地化组",
              AboutText(1, 0, 2));
}

// Serialises one node of a version block: lengths, type, key, padding,
// value, padding, children.
std::string VersionNode(const std::u16string& key, const std::string& value, bool text,
                        const std::string& children) {
    std::string node(6, '\0');
    for (char16_t c : key + u'\0') {
        node += static_cast<char>(c & 0xFF);
        node += static_cast<char>(c >> 8);
    }
    while (node.size() % 4) node += '\0';
    node += value;
    while (node.size() % 4) node += '\0';
    node += children;
    const std::size_t valueLength = text ? value.size() / 2 : value.size();
    node[0] = static_cast<char>(node.size() & 0xFF);
    node[1] = static_cast<char>(node.size() >> 8);
    node[2] = static_cast<char>(valueLength & 0xFF);
    node[3] = static_cast<char>(valueLength >> 8);
    node[4] = text ? 1 : 0;
    return node;
}

std::string Utf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text + u'\0') {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST(VersionResource, ReadsTheFixedVersionAndTheProductName) {
    std::string fixed(52, '\0');
    const std::uint32_t words[4] = {0xFEEF04BDu, 0x00010000u, 0x00010000u, 0x00000002u};
    std::memcpy(fixed.data(), words, sizeof words);
    const std::string strings = VersionNode(
        u"StringFileInfo", "", true,
        VersionNode(u"080404b0", "", true,
                    VersionNode(u"FileVersion", Utf16(u"1.00.0002"), true, "") +
                        VersionNode(u"ProductName", Utf16(u"Vornix Internet Optimizer"), true, "")));
    const std::string block =
        VersionNode(u"VS_VERSION_INFO", fixed, false,
                    VersionNode(u"VarFileInfo", "", true, "") + strings);
    const auto info = ParseVersionResource(block.data(), block.size());
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->hasFixedInfo);
    EXPECT_EQ(0x00010000u, info->fileVersionMS);
    EXPECT_EQ(2u, info->fileVersionLS & 0xFFFF);
    EXPECT_EQ(u"Vornix Internet Optimizer", VersionString(block.data(), block.size(), u"ProductName"));
    EXPECT_EQ(u"", VersionString(block.data(), block.size(), u"Comments"));
    // A truncated or foreign block reads as nothing, without reading past it.
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, std::size_t{40}, block.size() / 2}) {
        const std::string part = block.substr(0, cut);
        EXPECT_EQ(u"", VersionString(part.data(), part.size(), u"ProductName")) << cut;
    }
    EXPECT_FALSE(ParseVersionResource("not a block at all", 18).has_value());
}

TEST(Form1Layout, MatchesTheFormsArrangement) {
    const auto layout = Form1Layout();
    std::map<std::string, const ControlSpec*> single;
    std::map<int, int> speedOptions;  // panel -> options
    std::set<int> ids;
    for (const ControlSpec& c : layout) {
        if (c.index < 0) single[c.name] = &c;
        if (c.container == ControlRole::SpeedPanel) {
            ++speedOptions[c.containerIndex];
            EXPECT_EQ(std::string("optInternetSpeed") + std::to_string(c.containerIndex + 1), c.name);
        }
        // The window finds a control's container by the container's role and index.
        if (c.container != ControlRole::Window) {
            EXPECT_EQ(1, std::count_if(layout.begin(), layout.end(), [&](const ControlSpec& o) {
                          return o.role == c.container && o.index == c.containerIndex;
                      })) << c.name;
        }
        ids.insert(ControlId(c.name, c.index));
    }
    EXPECT_EQ(layout.size(), ids.size()) << "every control has its own id";
    const auto methods = ConnectionMethods();
    for (int m = 0; m < 6; ++m) {
        EXPECT_EQ(static_cast<int>(methods[static_cast<std::size_t>(m)].speeds.size()), speedOptions[m]);
    }
    // The blinking border is the method frame grown by 120 twips all round.
    const ControlSpec& frame = *single["fraInternetMethod"];
    const ControlSpec& border = *single["Label1"];
    EXPECT_EQ(frame.left - 120, border.left);
    EXPECT_EQ(frame.top - 120, border.top);
    EXPECT_EQ(frame.width + 240, border.width);
    EXPECT_EQ(frame.height + 240, border.height);
    EXPECT_TRUE(border.flags.maroonBack);
    EXPECT_FALSE(border.flags.visible);
    EXPECT_FALSE(single["cmdRestore"]->flags.enabled);
    EXPECT_FALSE(single["lblNext1"]->flags.visible);
    // Focus order: Optimize, the methods, the speed panels, About, Restore.
    EXPECT_STREQ("cmdOptimize", layout[0].name);
    EXPECT_LT(ControlId("optInternetSpeed6", 2), ControlId("cmdAbout"));
    EXPECT_LT(ControlId("cmdAbout"), ControlId("cmdRestore"));
    EXPECT_LT(ControlId("optInternetMethod", 5), ControlId("optInternetSpeed1", 0));
    // Panel 1 puts its sixth option at the top of a second column.
    const ControlSpec& sixth = layout[static_cast<std::size_t>(ControlId("optInternetSpeed2", 5) - kFirstControlId)];
    EXPECT_EQ(1680, sixth.left);
    EXPECT_EQ(120, sixth.top);
}

TEST(Form1Layout, TwipsBecomePixelsAtTheScreensDpiWithTheFractionDropped) {
    const struct {
        int dpi, width, height, font;
    } screens[] = {{96, 633, 281, 12}, {120, 791, 351, 15}, {144, 949, 421, 18}, {110, 725, 321, 14}};
    for (const auto& s : screens) {
        EXPECT_EQ(s.width, TwipsToPixels(kClientWidthTwips, s.dpi)) << s.dpi;
        EXPECT_EQ(s.height, TwipsToPixels(kClientHeightTwips, s.dpi)) << s.dpi;
        EXPECT_EQ(s.font, PointsToPixels(kFontPoints, s.dpi)) << s.dpi;
        // A width measured in pixels survives the way through twips.
        for (int pixels = 0; pixels < 300; ++pixels) {
            ASSERT_EQ(pixels, TwipsToPixels(PixelsToTwips(pixels, s.dpi), s.dpi)) << s.dpi;
        }
    }
}

}  // namespace
}  // namespace vornix::test
