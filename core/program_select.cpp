// Program selection and the pitch computation. A program change while keys
// are held keeps them sounding and re-pitches them (their streams go on
// reading the earlier program's envelopes, which the builders keep); with no
// key held the change resets every voice to the new program's envelopes.
#include "program_select.h"

#include "envelope_builders.h"

#include <cstring>

namespace t815 {

namespace {

constexpr int kReferenceKey = 57; // plays the pitch bases unchanged
constexpr int kPitchesPerKey = 16;

// The octave code's offset: codes 4 and 6 sit off the 256-step grid.
int octaveAdjustment(int code) {
    if (code == 4) return 208;
    if (code == 6) return 80;
    return 144;
}

std::int32_t clampPitch(std::int32_t pitch) {
    if (pitch < 0) return 0;
    if (pitch > kMaxPitch) return kMaxPitch;
    return pitch;
}

} // namespace

void selectProgram(SynthCore& core, int programNumber, bool reset) {
    if (!core.romReady) return;
    core.currentProgram = programNumber;

    if (reset) {
        std::memset(core.oscPitch, 0, sizeof core.oscPitch);
        std::memset(core.slots, 0, sizeof core.slots);
        // Every stream restarts on the new templates: what they read need
        // not be kept.
        for (EnvelopeStream& stream : core.ampStreams)
            stream.levels = {};
        core.filterStream.levels = {};
    } else {
        updatePitches(core); // still under the previous unison setting
    }

    buildAmpTemplate(core);
    buildFilterTemplate(core);

    if (reset) {
        for (EnvelopeStream& stream : core.ampStreams)
            restartStream(stream, core.ampTemplate);
        restartStream(core.filterStream, core.filterTemplate);
        std::memset(core.oscPhase, 0, sizeof core.oscPhase);
        core.filterState[0] = core.filterState[1] = 0.0f;
    }

    const ProgramSwitches switches = switchesOfProgram(core, programNumber);
    core.unisonOn = switches.unisonOn;
    core.filterOn = switches.filterOn;
}

ProgramSwitches switchesOfProgram(const SynthCore& core, int programNumber) {
    return {!singleOscillator(core.voicePrograms[programNumber][toneFlags]), true};
}

PitchBases pitchBases(const SynthCore& core, int programNumber) {
    const VoiceProgram& p = core.voicePrograms[programNumber];
    return {p[oscAFine] + 256 * p[oscAOctave] + octaveAdjustment(p[oscAOctave]),
            p[oscBFine] + 256 * p[oscBOctave] + octaveAdjustment(p[oscBOctave])};
}

void updatePitches(SynthCore& core) {
    const PitchBases bases = pitchBases(core, core.currentProgram);
    for (int k = 0; k < kSlotCount; ++k) {
        const VoiceSlot& slot = core.slots[k];
        if (slot.state == kSlotFree) continue;
        const std::int32_t offset = kPitchesPerKey * (slot.key - kReferenceKey) + core.pitchOffset;
        core.oscPitch[2 * k] = clampPitch(bases.oscA + offset);
        core.oscPitch[2 * k + 1] = core.unisonOn ? clampPitch(bases.oscB + offset) : 0;
    }
}

} // namespace t815
