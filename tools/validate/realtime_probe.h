// What the plug-in asks of the C library while the host watches: heap calls
// (malloc, calloc, realloc, free, aligned allocation) and calls that block
// (mutex and read-write locks, condition waits, semaphores, sleeps).
//
// On Linux the validator defines those functions itself: the plug-in's .so
// takes them from the global scope, so its calls pass through here on their
// way to the C library. A Windows DLL carries its own C runtime, and
// sanitizer builds replace the same functions, so there nothing is seen.
#pragma once

#include <string>

struct ProbeCounts {
    long heapCalls = 0;
    long blockingCalls = 0;
    long outstandingBlocks = 0; // allocations minus releases, every thread
    long long outstandingBytes = 0;
    std::string firstHeapCall; // the function's name
    std::string firstBlockingCall;
};

// False where the calls cannot be seen; `whyNot` says why.
bool probeAvailable(std::string& whyNot);

// Counting on this thread only: heap and blocking calls made between the two.
void beginRealtimeSection();
ProbeCounts endRealtimeSection();

// Net heap use of every thread between the two.
void beginHeapBalance();
ProbeCounts endHeapBalance();
