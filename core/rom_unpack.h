// Unpacking the ROM image into the core's tables and voice programs, and the
// oscillator pitch bases a program's octave and fine bytes give.
#pragma once

#include "synth_core.h"

namespace t815 {

// Fills pitchIncrements, waveTable, the level tables and voicePrograms from
// the embedded image, marks the core ready and selects program 00 with reset.
// Always succeeds: the image is part of the library.
bool unpackRom(SynthCore& core);

struct PitchBases {
    std::int32_t oscA; // first oscillator of a slot
    std::int32_t oscB; // second oscillator of a slot
};

// Pitch indices of the two oscillators for key 57 with no offset.
PitchBases pitchBases(const SynthCore& core, int programNumber);

} // namespace t815
