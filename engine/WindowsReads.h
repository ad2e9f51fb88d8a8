#pragma once
// Whether the running Windows reads a value the program writes, as
// Microsoft documents it: the Windows 2000/XP/Server 2003 TCP/IP references,
// the Windows Server network-subsystem tuning guide and knowledge-base
// articles for Vista and later, and KB 158474 and KB 250663 for Windows
// 95/98/ME. What that documentation does not establish is "unknown", never a
// guess. What the documentation says of one value is in its row
// (TcpipValues.h), what it says of any value here; both faces ask them:
// `vornix status` for each value it shows, the window's summary and closing
// question for the values an optimize writes. The window writes what it
// always has, on every Windows.
#include <string>
#include <vector>

#include "system/VersionSource.h"

namespace vornix {

struct WindowsReads {
    enum class Answer { Read, NotRead, Unknown };
    Answer answer = Answer::Unknown;
    const char* reason = "";     // one line, in the program's language
    const char* successor = "";  // the command that shows what this Windows uses instead
    // Read, and the value an optimize writes turns off what this Windows
    // does by default.
    bool changesDefault = false;
};

// For the value `name` of an interface key (`inInterface`) or of the
// family's own keys, on the Windows of `version` (its real version).
WindowsReads ReadsOn(const OsVersionRecord& version, bool inInterface, const std::string& name);

// "yes", "no", "unknown": the JSON form.
const char* AnswerId(WindowsReads::Answer answer);

// A value a run wrote: in an interface key or in the family's own keys.
struct WrittenValue {
    bool inInterface;
    std::string name;
};

// What an optimize adds to its summary, a line each. On the Windows the
// program was made for (95/98/ME, NT 4.0, 2000, XP, Server 2003) nothing:
// their texts stay as they always were. From Windows Vista (NT 6.0) on, by
// the real version: a heading, then each value the program writes that this
// Windows does not read, or whose written value changes a default of its
// own, once by name, with its reason and, where there is one, the command
// that shows the setting in its place.
std::vector<std::string> SummaryNotes(const OsVersionRecord& version);
// What its closing question adds: nothing on those Windows; from Vista on,
// one line counting the values written (each once, wherever it went) that
// this Windows reads, does not read, and is not known to read.
std::vector<std::string> ClosingNotes(const OsVersionRecord& version,
                                      const std::vector<WrittenValue>& written);

}  // namespace vornix
