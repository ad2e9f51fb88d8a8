#include "app/MXPTheme.h"

namespace vornix {
namespace {

bool IsWinNT5(VersionSource& version) {
    OsVersionRecord record{};
    record.dwOSVersionInfoSize = sizeof(OsVersionRecord);
    if (!version.GetVersionExA(record)) return false;
    return record.dwPlatformId == kPlatformNT && record.dwMajorVersion == 5;
}

}  // namespace

std::string ManifestText(const std::string& productName, bool is64Bit) {
    // A 64-bit executable needs its own architecture here: an X86 manifest
    // beside it stops it from starting.
    const std::string arch = is64Bit ? "amd64" : "X86";
    const char* lines[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">",
        "<assemblyIdentity",
        "version=\"1.0.0.0\"",
        nullptr,  // processorArchitecture
        "name=\"Microsoft.VisualBasic6.IDE\"",
        "type=\"win32\"",
        "/>",
        nullptr,  // description
        "<dependency>",
        "<dependentAssembly>",
        "<assemblyIdentity",
        "type=\"win32\"",
        "name=\"Microsoft.Windows.Common-Controls\"",
        "version=\"6.0.0.0\"",
        nullptr,  // processorArchitecture
        "publicKeyToken=\"6595b64144ccf1df\"",
        "language=\"*\"",
        "/>",
        "</dependentAssembly>",
        "</dependency>",
        "</assembly>",
    };
    std::string text;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        if (lines[i]) {
            text += lines[i];
        } else if (i == 8) {
            text += "<description>" + productName + "</description>";
        } else {
            text += "processorArchitecture=\"" + arch + "\"";
        }
        text += "\r\n";
    }
    return text;
}

void InitVisualStyles(const std::string& fileName, const MXPThemeServices& services) {
    // The folder and name are joined as they are, even when the folder
    // already ends in a backslash.
    const std::string path = services.exeFolder + "\\" + fileName + ".manifest";
    if (!services.files.FileExists(path) && IsWinNT5(services.version)) {
        services.files.WriteComplete(
            path, services.codePage.ToAnsi(ManifestText(services.productName, services.is64Bit)),
            kAttributeReadOnly | kAttributeHidden | kAttributeSystem);
    }
    if (services.initCommonControls) services.initCommonControls();
}

}  // namespace vornix
