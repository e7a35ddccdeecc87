// Construction and teardown of the core record.
#include "synth_core.h"

#include "program_select.h"
#include "rom_unpack.h"

#include <cstring>
#include <new>

namespace t815 {

namespace {

void clearSequence(ByteSequence& sequence) {
    ByteSequence().swap(sequence);
}

// Storage for the longest template or release of the factory programs, so
// that note and program events only ever copy into it. Each sequence is
// written once over its whole capacity so that its pages are mapped now, not
// on the first long envelope (a page fault per 4 KiB there would hold up the
// audio thread waiting for the event).
void reserve(ByteSequence& sequence, std::size_t bytes) {
    sequence.reserve(bytes);
    sequence.resize(sequence.capacity());
    sequence.clear();
}

void reserveEnvelopeStorage(SynthCore& core) {
    reserve(core.ampTemplate, kMaxAmpEnvelopeBytes);
    reserve(core.filterTemplate, kMaxFilterTemplateBytes);
    for (EnvelopeStream& stream : core.ampStreams)
        reserve(stream.levels, kMaxAmpEnvelopeBytes);
    reserve(core.filterStream.levels, kMaxFilterEnvelopeBytes);
}

} // namespace

bool constructCore(SynthCore& core) {
    teardownCore(core);

    core.cutoffCoef = 0.99f;
    core.romReady = false;
    core.zeroAmplitudeSilent = false;
    core.phaseJump.step = 0.0;
    core.resonance = 0.8f;
    core.currentProgram = 0;
    core.unisonOn = false;
    core.bendRatio = 1.0f;
    core.filterOn = true;
    core.pitchOffset = 0;
    core.resamplePhase = 0.0;
    core.noteCounter = 0;
    core.prevSample = 0.0f;
    core.nextSample = 0.0f;

    for (int i = 0; i < kProgramCount; ++i)
        core.programNumbers[i] = 10 * (i / 8) + i % 8;

    std::memset(core.voicePrograms, 0, sizeof core.voicePrograms);
    std::memset(core.oscPitch, 0, sizeof core.oscPitch);
    std::memset(core.slots, 0, sizeof core.slots);
    std::memset(core.oscPhase, 0, sizeof core.oscPhase);
    core.filterState[0] = core.filterState[1] = 0.0f;

    try {
        reserveEnvelopeStorage(core);
        if (!unpackRom(core)) return false;
        selectProgram(core, 0, true);
        return true;
    } catch (const std::bad_alloc&) {
        teardownCore(core);
        return false;
    }
}

void teardownCore(SynthCore& core) {
    clearSequence(core.ampTemplate);
    clearSequence(core.filterTemplate);
    for (EnvelopeStream& stream : core.ampStreams) {
        clearSequence(stream.levels);
        stream.readPos = 0;
    }
    clearSequence(core.filterStream.levels);
    core.filterStream.readPos = 0;
}

} // namespace t815
