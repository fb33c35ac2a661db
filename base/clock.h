// The tick counter and plain pauses: milliseconds of a steady clock.
#pragma once

#include <cstdint>

namespace bridgit {

using TTickMs = std::int64_t;

// Milliseconds since an arbitrary fixed point; never goes backwards.
TTickMs TickCount();

// Pauses the calling thread.
void SleepMs(TTickMs ms);

// The milliseconds every SleepMs (and every CountPause) has asked for so far,
// over all threads: the part of an exchange's time that its prescribed pauses
// account for.
TTickMs PausedMsTotal();
// Counts a prescribed pause that is spent serving the window rather than asleep.
void CountPause(TTickMs ms);

// A source of ticks; tests substitute one that they advance themselves.
using TTickSource = TTickMs (*)();

}  // namespace bridgit
