#pragma once
// The user's way through the main window's logic: a method and a speed and
// Optimize, or Restore answered Yes, then the timer's ticks until the run
// stops. The owner makes `form` over `controls`.
#include <cstdint>
#include <memory>

#include "engine/Form1.h"
#include "support/FakeControls.h"

namespace vornix::test {

struct FormDriver {
    // Runs the timer until the run stops, at most `limit` ticks.
    int TickUntilStopped(int limit = 200) {
        int ticks = 0;
        for (; controls.tmrOptimize.enabled && ticks < limit; ++ticks) form->tmrOptimize_Timer();
        return ticks;
    }
    // A full optimize run; the closing question is answered No.
    void Optimize(std::int16_t method = 0, std::int16_t speed = 0) {
        form->optInternetMethod_Click(method);
        form->optInternetSpeed_Click(method + 1, speed);
        form->cmdOptimize_Click();
        TickUntilStopped();
    }
    void Restore() {
        controls.boxes.answers.push_back(kIdYes);
        form->cmdRestore_Click();
        TickUntilStopped();
    }

    FakeForm1Controls controls;
    std::unique_ptr<Form1> form;
};

}  // namespace vornix::test
