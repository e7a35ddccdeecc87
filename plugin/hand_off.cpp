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
#include <thread>

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

void publishHeldKeys(PluginInstance& instance) {
    std::uint64_t words[2] = {0, 0};
    for (const VoiceSlot& slot : instance.core.slots)
        if (slot.state == kSlotHeld && static_cast<std::uint32_t>(slot.key) < 128)
            words[slot.key / 64] |= std::uint64_t{1} << (slot.key % 64);
    instance.heldKeys[0].store(words[0], std::memory_order_release);
    instance.heldKeys[1].store(words[1], std::memory_order_release);
}

// Applies every queued change; only the core's owner calls it.
void applyQueuedChanges(PluginInstance& instance) {
    const std::uint32_t applied = takeRuns(
        instance.changes, [&](const ShellChange& change) { applyChange(instance, change); });
    if (applied) publishHeldKeys(instance);
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
    case ChangeKind::sampleRate:
        store(settings.sampleRate, bitsOf(change.value));
        break;
    case ChangeKind::pitchOffset:
        store(settings.pitchOffset, bitsOfInt(change.arg));
        break;
    case ChangeKind::noteOn:
    case ChangeKind::noteOff:
    case ChangeKind::pitchBend:
    case ChangeKind::resetVoices:
        break;
    }
}

void recordRun(PluginInstance& instance, const ShellChange* changes, std::uint32_t count,
               std::uint32_t firstPosition) {
    for (std::uint32_t i = 0; i < count; ++i)
        recordChange(instance, changes[i], firstPosition + i);
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
    if (instance.coreBusy.exchange(true, std::memory_order_acquire)) return false;
    applyQueuedChanges(instance);
    return true;
}

void releaseCore(PluginInstance& instance) {
    instance.coreBusy.store(false, std::memory_order_release);
}

} // namespace t815
