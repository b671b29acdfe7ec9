#pragma once
// Several adapters served at once, on one thread: every tick each unfinished
// job takes what its adapter has received and sends its next frame, then all
// wait out the tick together. Jobs never block, so a silent instrument holds
// no other up, and a dozen adapters take about as long as the slowest one.
//
// One thread rather than one per adapter: the adapter layer, the drivers
// behind the shared CompositeFtDriver (its handle table, the serial ports,
// which belong to the thread that opened them) and the virtual instruments
// are not made to be called from several threads, and at 250000 baud an
// 8-byte frame every 100 ms per adapter is no load for one.
//
// How a tick is waited out is the caller's: the program spins its event loop
// for the tick's length; the tests move the virtual instruments' clock on.

#include "InstrumentJob.h"

#include <functional>
#include <memory>
#include <vector>

using TickWait = std::function<void(int ms)>;

void runTogether(const std::vector<std::unique_ptr<InstrumentJob>> &jobs, const TickWait &wait);
