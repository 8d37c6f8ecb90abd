// Threads that decode, measure and write ahead of the thread that plays or renders do work that
// can wait a little; the one that runs the tap is the one every block waits for.
#pragma once

namespace host {

// Marks the calling thread as throughput work (SCHED_BATCH): it keeps its fair share of the
// processor, but when it wakes it no longer preempts the thread running on the core it lands on,
// which would stall the whole pipeline for the length of its turn. Quietly nothing where the
// system does not allow it.
void markAsBackgroundWork() noexcept;

}  // namespace host
