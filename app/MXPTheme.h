#pragma once
// Gives the program the themed look of the common controls: on Windows NT
// 5.x (2000, XP, Server 2003) it writes an application manifest beside the
// executable when there is none, for the starts that follow; on every system
// it then initialises the common controls.
#include <functional>
#include <string>

#include "app/ManifestFiles.h"
#include "system/AnsiCodePage.h"
#include "system/VersionSource.h"

namespace vornix {

struct MXPThemeServices {
    ManifestFiles& files;
    VersionSource& version;
    const AnsiCodePage& codePage;
    std::function<void()> initCommonControls;
    std::string exeFolder;    // the folder holding the executable
    std::string productName;  // ProductName of the version information
    bool is64Bit;             // the architecture the executable was built for
};

// The 22 manifest lines joined by CR LF, with a CR LF after the last.
std::string ManifestText(const std::string& productName, bool is64Bit);

// `fileName` is the executable's base name followed by ".exe". Nothing is
// reported: a step that fails is skipped.
void InitVisualStyles(const std::string& fileName, const MXPThemeServices& services);

}  // namespace vornix
