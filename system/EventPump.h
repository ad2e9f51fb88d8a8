#pragma once
// Processes pending user-interface events. The enumeration methods of the
// Registry class call it between entries so the window stays responsive;
// the window supplies a PeekMessage/DispatchMessage loop, tests a callback.
#include <functional>

namespace vornix {

using EventPump = std::function<void()>;

}  // namespace vornix
