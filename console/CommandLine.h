#pragma once
// The console tool's command line: a command, the connection choice as the
// window numbers it (method 1-6, then a speed of that method), and --json.
// Options follow their command, and each command takes only its own.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornix {

// What the tool's exit code says.
enum class ExitCode {
    Done = 0,
    NotCompleted = 1,   // the run did not complete; nothing was lost
    Usage = 2,          // unknown command or option, a choice out of range
    NeedsAdmin = 3,     // a write was refused as access denied
    AlreadyRunning = 4, // the window or another vornix is running
    NoBackup = 5,       // restore, backup: the product key holds no backup of
                        // either Windows family and no copy set aside; nothing
                        // was read back or changed
    BackupBesideCopies = 6,  // backup: a backup this Windows can restore, and
                             // copies set aside beside it, which a restore
                             // leaves as they are
};

struct CommandLine {
    enum class Command { Help, Version, Status, Optimize, Restore, Backup };
    Command command = Command::Help;
    // 0-based indexes into the profile table; set together or not at all.
    std::optional<int> method;
    std::optional<int> speed;
    bool json = false;
    bool setAside = false;  // backup --set-aside
};

// The command line, or the reason it is not one (in the program's language).
struct ParsedCommandLine {
    std::optional<CommandLine> line;
    std::string error;
};

// `args` are the arguments after the program's name, in UTF-8.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The arguments after the program's name in a whole command line, split as
// the C run time splits one: by blanks outside double quotes, with \" for a
// quote and backslashes kept unless a quote follows them.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The --help text: commands, choices and exit codes.
std::string HelpText();

}  // namespace vornix
