#pragma once

#include <cstdint>
#include <functional>

// Runs `call` on a thread of its own and waits for it at most `milliseconds`.
// Returns true when it returned in time. Otherwise it is left running: it
// must own everything it touches (capture shared state by value, never a
// pointer to an object that may go away).
bool CallWithin(uint32_t milliseconds, std::function<void()> call);
