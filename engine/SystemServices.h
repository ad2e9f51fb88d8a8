#pragma once
// The operating-system services the main window's logic is built on. The
// program passes the Win32 implementations, tests in-memory ones.
#include <string>

#include "system/AnsiCodePage.h"
#include "system/EventPump.h"
#include "system/RegistryApi.h"
#include "system/ShutdownApi.h"
#include "system/VersionSource.h"

namespace vornix {

struct SystemServices {
    RegistryApi& registry;
    const AnsiCodePage& codePage;
    VersionSource& version;
    ShutdownApi& shutdown;
    EventPump pump;           // processes pending window events
    std::string productName;  // ProductName of the executable's version information
};

}  // namespace vornix
