#pragma once
// Whether the running Windows reads a value the program writes, as
// Microsoft documents it: the Windows 2000/XP/Server 2003 TCP/IP references,
// the Windows Server network-subsystem tuning guide and knowledge-base
// articles for Vista and later, and KB 158474 and KB 250663 for Windows
// 95/98/ME. What that documentation does not establish is "unknown", never a
// guess. Used by `vornix status` only: the window writes what it always has.
#include <string>

#include "system/VersionSource.h"

namespace vornix {

struct WindowsReads {
    enum class Answer { Read, NotRead, Unknown };
    Answer answer = Answer::Unknown;
    const char* reason = "";     // one line, in the program's language
    const char* successor = "";  // the command that shows what this Windows uses instead
};

// For the value `name` of an interface key (`inInterface`) or of the
// family's own keys, on the Windows of `version` (its real version).
WindowsReads ReadsOn(const OsVersionRecord& version, bool inInterface, const std::string& name);

// "yes", "no", "unknown": the JSON form.
const char* AnswerId(WindowsReads::Answer answer);

}  // namespace vornix
