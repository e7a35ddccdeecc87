// Applying queued changes on the core owner's side. Each change does what the
// same request does to the instrument; a burst of program selects costs one
// select, not one per change (markSupersededSelects).
#include "change_application.h"

#include "cutoff.h"
#include "key_slots.h"
#include "plugin_instance.h"
#include "program_select.h"

namespace t815 {

namespace {

// The whole program select for index 0..31: the core selects the program
// (resetting every voice unless a key is held, so that sounding keys go on,
// re-pitched), the shell's copies of the index and its digits follow, and
// the cutoff coefficient is recomputed.
void applyProgramSelect(PluginInstance& instance, std::int32_t index) {
    SynthCore& core = instance.core;
    const std::int32_t number = core.programNumbers[index];
    const ProgramDigits digits = digitsOfProgram(number);
    instance.currentProgramIndex = index;
    instance.programTens = digits.tens;
    instance.programUnits = digits.units;
    selectProgram(core, number, !anyKeyHeld(core));
    updateCutoffCoefficient(instance);
}

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
        applyProgramSelect(instance, change.arg);
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
    const ProgramSwitches switches = switchesOfProgram(core, core.programNumbers[index]);
    core.unisonOn = switches.unisonOn;
    core.filterOn = switches.filterOn;
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

} // namespace

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

} // namespace t815
