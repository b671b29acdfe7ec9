#pragma once
// Time as the virtual instruments see it: milliseconds on a monotonic clock.
// The tool runs them on the real one; a test hands them a clock it winds
// itself, so that nothing waits in real time.

#include <cstdint>
#include <functional>

using SimClock = std::function<std::int64_t()>;

// Milliseconds of std::chrono::steady_clock.
std::int64_t steadyClockMs();
