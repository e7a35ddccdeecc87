// Construction and teardown of the core record.
#include "synth_core.h"

#include "program_select.h"
#include "rom_unpack.h"

#include <cstring>
#include <new>

namespace t815 {

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
        reserveStore(core.ampStore, kAmpStoreBytes);
        reserveStore(core.filterStore, kFilterStoreBytes);
        if (!unpackRom(core)) return false;
        selectProgram(core, 0, true);
        return true;
    } catch (const std::bad_alloc&) {
        teardownCore(core);
        return false;
    }
}

void teardownCore(SynthCore& core) {
    core.ampTemplate = core.filterTemplate = {};
    for (EnvelopeStream& stream : core.ampStreams)
        stream = {};
    core.filterStream = {};
    releaseStore(core.ampStore);
    releaseStore(core.filterStore);
}

} // namespace t815
