// vornix.exe: the window's runs and a preview of them, for administrators
// who script the tool. See `vornix --help`.
#include <string>
#include <vector>

#include "system/win32/ProductInfo.h"
#include "system/win32/TextFunctions.h"
#include "console/CommandLine.h"
#include "console/ConsoleRun.h"
#include "console/ConsoleTexts.h"
#include "console/StatusReport.h"
#include "console/Win32ConsoleOutput.h"
#include "system/win32/Win32CodePage.h"
#include "system/win32/Win32InstanceMutex.h"
#include "system/win32/Win32RegistryApi.h"
#include "system/win32/Win32VersionSource.h"

namespace vornix {
namespace {

// The tool never restarts the machine: the closing question is always
// answered No, and this is all it could reach if it were not.
class NoRestart final : public ShutdownApi {
public:
    std::uintptr_t GetCurrentProcess() override { return 0; }
    bool OpenProcessToken(std::uintptr_t, std::uint32_t, std::uintptr_t*) override { return false; }
    bool LookupPrivilegeValueA(const std::string&, const std::string&, Luid*) override {
        return false;
    }
    long AdjustTokenPrivileges(std::uintptr_t, bool, const TokenPrivileges&, std::uint32_t,
                               TokenPrivileges*, std::uint32_t*) override {
        return kErrorAccessDenied;
    }
    bool CloseHandle(std::uintptr_t) override { return false; }
    bool ExitWindowsEx(std::uint32_t, std::uint32_t) override { return false; }
};

int Run(const std::vector<std::string>& args) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    Win32ConsoleOutput output(parsed.line && parsed.line->json);
    if (!parsed.line) {
        output.Err(parsed.error + "\n" + text::kUsageHint + "\n");
        return static_cast<int>(ExitCode::Usage);
    }
    const CommandLine& line = *parsed.line;
    const ProductInfo product = ReadProductInfo();
    switch (line.command) {
        case CommandLine::Command::Help:
            output.Out(HelpText());
            return static_cast<int>(ExitCode::Done);
        case CommandLine::Command::Version:
            output.Out(product.productName + " v" + std::to_string(product.major) + "." +
                       std::to_string(product.minor) + "." + std::to_string(product.revision) + "\n");
            return static_cast<int>(ExitCode::Done);
        default:
            break;
    }

    Win32RegistryApi registry;
    Win32CodePage codePage;
    Win32VersionSource version;
    const std::string productKey = ProductKey(product.productName);
    // The reads of status and backup, and the set-aside; a run has its own.
    Registry reg(registry, codePage);
    clsOS os(version);
    if (line.command == CommandLine::Command::Status) {
        const Status status = ReadStatus(reg, version, productKey, line);
        output.Out(line.json ? StatusJson(status) : StatusText(status));
        return static_cast<int>(ExitCode::Done);
    }
    if (line.command == CommandLine::Command::Backup && !line.setAside) {
        const BackupAnswer answer = AnswerBackup(reg, os, productKey);
        output.Out(answer.text);
        return static_cast<int>(answer.code);
    }

    // Runs and --set-aside change the machine: one program at a time, the
    // window included.
    const Win32InstanceMutex mutex;
    if (mutex.AnotherIsRunning()) {
        output.Err(std::string(text::kAlreadyRunning) + "\n");
        return static_cast<int>(ExitCode::AlreadyRunning);
    }
    if (line.command == CommandLine::Command::Backup) {
        const BackupAnswer answer = SetAsideBackup(reg, os, productKey);
        if (answer.code == ExitCode::Done) {
            output.Out(answer.text);
        } else {
            output.Err(answer.text);
        }
        return static_cast<int>(answer.code);
    }
    NoRestart noRestart;
    ConsoleRun run(SystemServices{registry, codePage, version, noRestart, {}, product.productName},
                   output);
    const ExitCode result = line.command == CommandLine::Command::Optimize
                                ? run.Optimize(*line.method, *line.speed)
                                : run.Restore();
    return static_cast<int>(result);
}

}  // namespace
}  // namespace vornix

// The narrow entry point: the wide start-up of the C run time is not made
// for Windows 95/98/ME. The arguments come from the command line in the
// running Windows's own form, so that on the NT family they are the whole
// Unicode text.
int main() {
    try {
        return vornix::Run(vornix::SplitCommandLine(vornix::win32::CommandLine()));
    } catch (...) {
        return static_cast<int>(vornix::ExitCode::NotCompleted);
    }
}
