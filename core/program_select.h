// Making a program current, and recomputing oscillator pitches.
#pragma once

#include "synth_core.h"

namespace t815 {

// Selects program number n (one of the 32). With reset every voice is
// silenced and restarted from the new program's envelopes; without it the
// sounding keys go on and are re-pitched.
void selectProgram(SynthCore& core, int programNumber, bool reset);

// Pitch indices of both oscillators of every held or released slot, from the
// current program, the keys, pitchOffset and unisonOn.
void updatePitches(SynthCore& core);

} // namespace t815
