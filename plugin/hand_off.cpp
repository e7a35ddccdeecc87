// The hand-off between the threads that change an instance and the thread
// that owns its core; the contract is in hand_off.h.
#include "hand_off.h"

#include "cutoff.h"
#include "key_slots.h"
#include "plugin_instance.h"
#include "program_select.h"
#include "program_selection.h"
#include "voice_program.h"

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

void applyChange(PluginInstance& instance, const ShellChange& change) {
    SynthCore& core = instance.core;
    switch (change.kind) {
    case ChangeKind::noteOn:
        noteOn(core, change.arg);
        break;
    case ChangeKind::noteOff:
        noteOff(core, change.arg);
        break;
    case ChangeKind::modWheel:
        instance.modWheel = change.value;
        updateCutoffCoefficient(instance);
        break;
    case ChangeKind::pitchBend:
        core.bendRatio = change.value;
        break;
    case ChangeKind::programSelect:
        changeProgram(instance, change.arg);
        break;
    case ChangeKind::unison:
        core.unisonOn = change.arg != 0;
        updatePitches(core); // second oscillators start or stop at once
        break;
    case ChangeKind::filter:
        core.filterOn = change.arg != 0;
        break;
    case ChangeKind::cutoffParam:
        instance.cutoffParam = change.value;
        updateCutoffCoefficient(instance);
        break;
    case ChangeKind::resonance:
        core.resonance = change.value;
        break;
    case ChangeKind::volume:
        instance.volume = change.value;
        break;
    case ChangeKind::sampleRate:
        instance.sampleRate = change.value;
        break;
    case ChangeKind::pitchOffset:
        core.pitchOffset = change.arg;
        updatePitches(core);
        break;
    case ChangeKind::resetVoices:
        resetVoices(core);
        break;
    }
}

// What a superseded select leaves behind: the two switches every select
// sets (the next select re-pitches the sounding keys under this unison
// setting, exactly as after the whole select).
void applySupersededSelect(PluginInstance& instance, std::int32_t index) {
    SynthCore& core = instance.core;
    const std::int32_t number = core.programNumbers[index];
    core.unisonOn = !singleOscillator(core.voicePrograms[number][toneFlags]);
    core.filterOn = true;
}

void publishHeldKeys(PluginInstance& instance) {
    std::uint64_t words[2] = {0, 0};
    for (const VoiceSlot& slot : instance.core.slots)
        if (slot.state == kSlotHeld && static_cast<std::uint32_t>(slot.key) < 128)
            words[slot.key / 64] |= std::uint64_t{1} << (slot.key % 64);
    instance.heldKeys[0].store(words[0], std::memory_order_release);
    instance.heldKeys[1].store(words[1], std::memory_order_release);
}

// Marks the program selects that a later select in the same batch makes
// pointless: with no note change between them, the later one rebuilds the
// templates, re-pitches every sounding key (or, with no key held, resets
// every voice and restarts every stream) and sets everything else the
// earlier one set; nothing between them (settings, switches, the wheel,
// bend, tuning, the voice reset) leaves a trace the later one does not
// overwrite. The one thing the earlier select hands on is the unison setting
// under which the later one re-pitches (see applySupersededSelect). A host
// that floods program changes therefore costs the audio thread one select
// per block, not one per change.
void markSupersededSelects(ChangeQueue& queue, std::uint32_t begin, std::uint32_t end) {
    bool selectFollows = false;
    for (std::uint32_t position = end; position != begin;) {
        ChangeCell& cell = cellAt(queue, --position);
        const ChangeKind kind = cell.change.kind;
        cell.superseded = kind == ChangeKind::programSelect && selectFollows;
        if (kind == ChangeKind::noteOn || kind == ChangeKind::noteOff) selectFollows = false;
        if (kind == ChangeKind::programSelect) selectFollows = true;
    }
}

// Applies every queued change in order; only the core's owner calls it.
void applyQueuedChanges(PluginInstance& instance) {
    ChangeQueue& queue = instance.changes;
    const std::uint32_t begin = queue.consumed.load(std::memory_order_relaxed);
    const std::uint32_t end = publishedEnd(queue);
    if (begin == end) return;
    markSupersededSelects(queue, begin, end);
    for (std::uint32_t position = begin; position != end; ++position) {
        const ChangeCell& cell = cellAt(queue, position);
        if (cell.superseded)
            applySupersededSelect(instance, cell.change.arg);
        else
            applyChange(instance, cell.change);
    }
    releaseCells(queue, end);
    publishHeldKeys(instance);
}

std::uint32_t bitsOfInt(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

// Records a queued change in the settings the host and the panel read.
void recordChange(PluginInstance& instance, const ShellChange& change, std::uint32_t position) {
    HostSettings& settings = instance.hostSettings;
    const std::atomic<std::uint32_t>& latest = instance.changes.reserved;
    auto store = [&](VersionedValue& value, std::uint32_t bits) {
        storeIfNewer(value, position, bits, latest);
    };
    switch (change.kind) {
    case ChangeKind::modWheel:
        store(settings.modWheel, bitsOf(change.value));
        break;
    case ChangeKind::programSelect: {
        const std::int32_t number = instance.core.programNumbers[change.arg]; // constant data
        store(settings.currentProgramIndex, bitsOfInt(change.arg));
        store(settings.programTens, bitsOfInt(number / 10));
        store(settings.programUnits, bitsOfInt(number % 10));
        // What the core's program select does to the two switches.
        const bool single = singleOscillator(instance.core.voicePrograms[number][toneFlags]);
        store(settings.unisonOn, single ? 0 : 1);
        store(settings.filterOn, 1);
        break;
    }
    case ChangeKind::unison:
        store(settings.unisonOn, bitsOfInt(change.arg));
        break;
    case ChangeKind::filter:
        store(settings.filterOn, bitsOfInt(change.arg));
        break;
    case ChangeKind::cutoffParam:
        store(settings.cutoffParam, bitsOf(change.value));
        break;
    case ChangeKind::resonance:
        store(settings.resonance, bitsOf(change.value));
        break;
    case ChangeKind::volume:
        store(settings.volume, bitsOf(change.value));
        break;
    case ChangeKind::pitchOffset:
        store(settings.pitchOffset, bitsOfInt(change.arg));
        break;
    case ChangeKind::noteOn:
    case ChangeKind::noteOff:
    case ChangeKind::pitchBend:
    case ChangeKind::sampleRate: // only the core renders with it
    case ChangeKind::resetVoices:
        break;
    }
}

void recordRun(PluginInstance& instance, const ShellChange* changes, std::uint32_t count,
               std::uint32_t firstPosition) {
    for (std::uint32_t i = 0; i < count; ++i)
        recordChange(instance, changes[i], firstPosition + i);
}

// The calling thread, without allocating: the C++ thread id would create a
// thread record on a host thread's first call on Windows.
std::uintptr_t currentThread() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<std::uintptr_t>(pthread_self());
#endif
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
    recordRun(instance, changes, count, first);
}

void submitChanges(PluginInstance& instance, const ShellChange* changes, std::uint32_t count) {
    if (count == 0) return;
    easeOff(instance);
    std::uint32_t first = 0;
    if (count <= kChangeQueueCapacity && tryAppendRun(instance.changes, changes, count, first)) {
        recordRun(instance, changes, count, first);
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

bool takeCoreForBlock(PluginInstance& instance) {
    instance.audioThread.store(currentThread(), std::memory_order_relaxed);
    if (instance.coreBusy.exchange(true, std::memory_order_acquire)) return false;
    instance.blocksTaken.fetch_add(1, std::memory_order_relaxed);
    applyQueuedChanges(instance);
    return true;
}

void releaseCore(PluginInstance& instance) {
    instance.coreBusy.store(false, std::memory_order_release);
}

} // namespace t815
