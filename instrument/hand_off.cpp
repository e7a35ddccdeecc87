// The hand-off's queue protocol: producers append runs and ease off while
// the audio thread catches up; the audio callback takes the core without
// waiting; a producer facing a full queue holds the core and applies the
// backlog itself. The contract is in hand_off.h.
#include "hand_off.h"

#include "change_application.h"
#include "host_settings.h"
#include "plugin_instance.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace t815 {

namespace {

// The calling thread, without allocating: the C++ thread id would create a
// thread record on a host thread's first call on Windows.
std::uintptr_t currentThread() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<std::uintptr_t>(pthread_self());
#endif
}

using Clock = std::chrono::steady_clock;

std::int64_t clockNow() {
    return Clock::now().time_since_epoch().count();
}

// How long the audio callback may stay away, beyond two of its blocks,
// before other threads apply the queued changes themselves: longer than
// any host's scheduling jitter, short enough that the panel shows a change
// within two of its timer's periods.
constexpr std::int64_t kAudioAbsentTicks =
    std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(50)).count();

// A block's length at the rate the core renders with, in clock ticks; 0
// for a rate it renders as 44100 Hz.
std::int64_t blockSpan(const PluginInstance& instance, std::int32_t frames) {
    const double rate = instance.sampleRate >= 1000.0 ? instance.sampleRate : 44100.0;
    const double seconds = frames > 0 ? frames / rate : 0.0;
    const double ticks = seconds * Clock::period::den / Clock::period::num;
    return ticks < 1e15 ? static_cast<std::int64_t>(ticks) : std::int64_t{1} << 50;
}

// More changes than this waiting for the audio thread make other threads
// pause before adding theirs (see easeOff).
constexpr std::uint32_t kPendingBeforeEasingOff = 256;
// A pause, and how many of them in a row without a block mean that the
// audio callback has stopped coming (about 50 ms: longer than any host's
// block).
constexpr auto kEaseOffPause = std::chrono::milliseconds(1);
constexpr int kPausesWithoutBlock = 50;

// A pause of about kEaseOffPause; on Windows straight from the system, as
// the C++ runtime's sleep allocates a thread record on a thread's first call.
void pauseBriefly() {
#ifdef _WIN32
    Sleep(static_cast<DWORD>(kEaseOffPause.count()));
#else
    std::this_thread::sleep_for(kEaseOffPause);
#endif
}

// A thread that floods changes faster than the audio thread renders would
// otherwise load all their work onto the audio thread's next block (each
// note-on copies envelopes, each select rebuilds them). So while the audio
// thread is rendering and much is still waiting, other threads pause until
// it catches up. The audio thread itself (MIDI delivered between blocks)
// never pauses, and neither does anyone once the audio callback has stopped
// coming: then waiting would gain nothing, and a full queue is applied by
// the producer itself (submitChanges).
void easeOff(PluginInstance& instance) {
    if (instance.audioThread.load(std::memory_order_relaxed) == currentThread()) return;
    const ChangeQueue& queue = instance.changes;
    std::uint32_t blocks = instance.blocksTaken.load(std::memory_order_relaxed);
    for (int pausesWithoutBlock = 0;;) {
        const std::uint32_t pending = queue.reserved.load(std::memory_order_relaxed) -
                                      queue.consumed.load(std::memory_order_relaxed);
        if (pending < kPendingBeforeEasingOff) return;
        if (blocks == instance.stalledAtBlock.load(std::memory_order_relaxed)) return;
        pauseBriefly();
        const std::uint32_t now = instance.blocksTaken.load(std::memory_order_relaxed);
        if (now != blocks) {
            blocks = now;
            pausesWithoutBlock = 0;
        } else if (++pausesWithoutBlock == kPausesWithoutBlock) {
            instance.stalledAtBlock.store(blocks, std::memory_order_relaxed);
            return;
        }
    }
}

} // namespace

void holdCore(PluginInstance& instance) {
    while (instance.coreBusy.exchange(true, std::memory_order_acquire))
        std::this_thread::yield();
}

void appendWhileHolding(PluginInstance& instance, const ShellChange* changes, std::uint32_t count) {
    std::uint32_t first = 0;
    do
        applyQueuedChanges(instance); // makes room; other threads may refill it at once
    while (!tryAppendRun(instance.changes, changes, count, first));
    recordChanges(instance, changes, count, first);
}

void submitChanges(PluginInstance& instance, const ShellChange* changes, std::uint32_t count) {
    if (count == 0) return;
    easeOff(instance);
    std::uint32_t first = 0;
    if (count <= kChangeQueueCapacity && tryAppendRun(instance.changes, changes, count, first)) {
        recordChanges(instance, changes, count, first);
        applyChangesWhileAudioAbsent(instance);
        return;
    }
    // No room: the audio thread has fallen behind or is not running.
    holdCore(instance);
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t piece = std::min(count - done, kChangeQueueCapacity);
        appendWhileHolding(instance, changes + done, piece);
        done += piece;
    }
    releaseCore(instance);
}

bool takeCoreForBlock(PluginInstance& instance, std::int32_t frames) {
    instance.audioThread.store(currentThread(), std::memory_order_relaxed);
    if (instance.coreBusy.exchange(true, std::memory_order_acquire)) return false;
    instance.blocksTaken.fetch_add(1, std::memory_order_relaxed);
    instance.lastBlockAt.store(clockNow(), std::memory_order_relaxed);
    instance.lastBlockSpan.store(blockSpan(instance, frames), std::memory_order_relaxed);
    applyQueuedChanges(instance);
    return true;
}

void applyChangesWhileAudioAbsent(PluginInstance& instance) {
    if (instance.audioThread.load(std::memory_order_relaxed) == currentThread()) return;
    const ChangeQueue& queue = instance.changes;
    if (queue.reserved.load(std::memory_order_relaxed) ==
        queue.consumed.load(std::memory_order_relaxed))
        return; // nothing waits
    const std::int64_t quiet = clockNow() - instance.lastBlockAt.load(std::memory_order_relaxed);
    const std::int64_t bound =
        kAudioAbsentTicks + 2 * instance.lastBlockSpan.load(std::memory_order_relaxed);
    if (quiet < bound) return;
    if (instance.coreBusy.exchange(true, std::memory_order_acquire)) return; // its holder applies
    applyQueuedChanges(instance);
    releaseCore(instance);
    // No repaint request: the panel's timer repaints anyway, and notes
    // never ask for one.
}

void releaseCore(PluginInstance& instance) {
    instance.coreBusy.store(false, std::memory_order_release);
}

} // namespace t815
