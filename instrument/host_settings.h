// The settings as the host and the panel see them, readable from any thread
// at any time: getParameter, effGetProgram, the display texts and the panel
// answer from here at once, while the core itself takes each change only at
// the start of the next audio block.
//
// Each value carries the queue position of the change that wrote it, and a
// write only lands if it is newer than the stored one. So when two threads
// change the same setting at once, the value kept here is the one of the
// change the audio thread applies last: these settings and the sound never
// disagree for longer than one block.
#pragma once

#include "change_queue.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace t815 {

struct PluginInstance;

// A 32-bit value and the position (version) of the change that wrote it, in
// one lock-free 64-bit word: high half version, low half the value's bits.
struct VersionedValue {
    std::atomic<std::uint64_t> word{0};
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free,
              "the settings must be lock-free on every target");

inline std::uint32_t storedBits(const VersionedValue& value) {
    return static_cast<std::uint32_t>(value.word.load(std::memory_order_acquire));
}

// Stores bits written by the change at queue position version, unless a
// later change has already stored its own. Positions wrap at 2^32, so
// "later" is judged by age, counted back from the queue's latest reserved
// position (read after the stored word, so it is never older than the
// stored version): exact unless a setting is left alone for 2^32 changes
// and then raced.
inline void storeIfNewer(VersionedValue& value, std::uint32_t version, std::uint32_t bits,
                         const std::atomic<std::uint32_t>& latestPosition) {
    const std::uint64_t wanted = (static_cast<std::uint64_t>(version) << 32) | bits;
    std::uint64_t seen = value.word.load(std::memory_order_acquire);
    for (;;) {
        const std::uint32_t now = latestPosition.load(std::memory_order_acquire);
        const std::uint32_t seenVersion = static_cast<std::uint32_t>(seen >> 32);
        if (now - seenVersion < now - version) return; // a later change got there first
        if (value.word.compare_exchange_weak(seen, wanted, std::memory_order_acq_rel,
                                             std::memory_order_acquire))
            return;
    }
}

// The value a setting starts with, before any change (version 0).
inline void storeInitial(VersionedValue& value, std::uint32_t bits) {
    value.word.store(bits, std::memory_order_relaxed);
}

inline std::uint32_t bitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

inline float floatOf(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

struct HostSettings {
    VersionedValue currentProgramIndex; // int32, 0..31
    VersionedValue programTens;         // int32, first digit of the program number
    VersionedValue programUnits;        // int32, second digit
    VersionedValue unisonOn;            // 0 or 1
    VersionedValue filterOn;            // 0 or 1
    VersionedValue cutoffParam;         // float, 0.05..0.99
    VersionedValue resonance;           // float, 0..0.95
    VersionedValue volume;              // float, 0..1
    VersionedValue modWheel;            // float, 0..1
    VersionedValue pitchOffset;         // int32, pitch steps
};

inline float readFloat(const VersionedValue& value) {
    return floatOf(storedBits(value));
}
inline std::int32_t readInt(const VersionedValue& value) {
    return static_cast<std::int32_t>(storedBits(value));
}
inline bool readBool(const VersionedValue& value) {
    return storedBits(value) != 0;
}

// The settings a fresh instance starts with: the host's view equal to the
// core's.
void storeInitialSettings(HostSettings& settings, const PluginInstance& instance);

// Records a run of queued changes, the first at queue position
// firstPosition, in the instance's hostSettings. Called by the thread that
// queued them, right after; it reads the program tables of the core, which
// are constant after construction.
void recordChanges(PluginInstance& instance, const ShellChange* changes, std::uint32_t count,
                   std::uint32_t firstPosition);

} // namespace t815
