#pragma once
// Waiting while the window system keeps running.
#include <functional>

namespace velt {

// Calls condition; while it is false, waits for the next window event,
// processes all pending events and asks again. No time limit.
void STOPUNTIL(const std::function<bool()>& condition);

// Processes all pending window events and returns true. A request to end the
// program found among them is kept pending and the result is false.
bool SYSREFRESH();

} // namespace velt
