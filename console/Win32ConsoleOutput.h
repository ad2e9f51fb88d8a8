#pragma once
// The console tool's output on Windows. Text for a console window goes
// through WriteConsoleW, so every character shows whatever the console's
// code page. Redirected text is written in the console's output code page
// (the OEM code page when there is no console), with CR LF line ends, as
// other console tools on a Chinese Windows write it; JSON goes out as UTF-8.
#include "console/ConsoleRun.h"

namespace vornix {

class Win32ConsoleOutput final : public ConsoleOutput {
public:
    explicit Win32ConsoleOutput(bool json) : json_(json) {}
    void Out(const std::string& text) override;
    void Err(const std::string& text) override;

private:
    void Write(unsigned long which, const std::string& text);
    bool json_;
};

}  // namespace vornix
