// A bounded lock-free queue of small change records, from any number of
// host and panel threads to the one thread that owns the core (normally the
// audio thread, at the start of each block).
//
// Producers reserve a run of consecutive positions with one compare-and-swap
// and publish each cell; the consumer takes a run only once all of it is
// published, so a run (a whole MIDI list) is applied whole, never split
// across blocks. A producer never waits: when the queue has no room it is
// told so at once (see hand_off.h for what it does then). The consumer never
// waits either: a run still being written is left for the next block.
#pragma once

#include <atomic>
#include <cstdint>

namespace t815 {

enum class ChangeKind : std::uint8_t {
    noteOn,        // arg: key
    noteOff,       // arg: key
    modWheel,      // value: position 0..1
    pitchBend,     // value: bend ratio
    programSelect, // arg: program index 0..31
    unison,        // arg: 0 or 1
    filter,        // arg: 0 or 1
    cutoffParam,   // value: 0.05..0.99
    resonance,     // value: 0..0.95
    volume,        // value: 0..1
    sampleRate,    // value: Hz, as the host gave it
    pitchOffset,   // arg: pitch steps
    resetVoices,   // the panel's reset button
};

struct ShellChange {
    ChangeKind kind;
    std::int32_t arg;
    float value;
};

constexpr std::uint32_t kChangeQueueCapacity = 4096; // a power of two
constexpr std::uint32_t kChangeQueueMask = kChangeQueueCapacity - 1;

struct ChangeCell {
    std::atomic<std::uint32_t> published{0}; // position + 1 once the cell holds that position
    std::uint32_t runLength;                 // first cell of a run: cells in the run
    ShellChange change;
    bool superseded; // the consumer's own note while it holds the cell (hand_off.cpp)
};

struct ChangeQueue {
    std::atomic<std::uint32_t> reserved{0}; // next position a producer may take
    std::atomic<std::uint32_t> consumed{0}; // next position the consumer reads
    ChangeCell cells[kChangeQueueCapacity];
};

// Appends count changes as one run and answers the position of the first
// (the others follow it); false, with nothing appended, when the queue lacks
// room for all of them. count must be 1..kChangeQueueCapacity.
bool tryAppendRun(ChangeQueue& queue, const ShellChange* changes, std::uint32_t count,
                  std::uint32_t& firstPosition);

// The consumer's side; only the core's owner calls these. The position just
// after the last fully published run (a run still being written, and all
// after it, wait for the next call):
inline std::uint32_t publishedEnd(const ChangeQueue& queue) {
    std::uint32_t position = queue.consumed.load(std::memory_order_relaxed);
    for (;;) {
        const ChangeCell& first = queue.cells[position & kChangeQueueMask];
        if (first.published.load(std::memory_order_acquire) != position + 1) return position;
        const std::uint32_t length = first.runLength;
        const ChangeCell& last = queue.cells[(position + length - 1) & kChangeQueueMask];
        // The producer publishes its cells in order, so the last one published
        // means every cell of the run is written and visible.
        if (last.published.load(std::memory_order_acquire) != position + length) return position;
        position += length;
    }
}

inline ChangeCell& cellAt(ChangeQueue& queue, std::uint32_t position) {
    return queue.cells[position & kChangeQueueMask];
}

// Hands the cells before end back to the producers.
inline void releaseCells(ChangeQueue& queue, std::uint32_t end) {
    queue.consumed.store(end, std::memory_order_release);
}

} // namespace t815
