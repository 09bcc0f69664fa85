#pragma once
// A database call made on behalf of the operator (a data-point edit, a
// password change) may meet a slow or silent server: it runs on a thread of
// its own while the user-interface thread goes on handling events (repaints,
// live lamp updates) with input to the windows disabled, so the window never
// freezes while the call waits out its time-outs.
#include <functional>

namespace quorvel::ui {

// Runs `work` and returns its result once it has ended; an exception from
// it counts as false.
bool runResponsively(const std::function<bool()>& work);

}  // namespace quorvel::ui
