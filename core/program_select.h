// Making a program current, what a program sets besides its envelopes, and
// the oscillator pitches its octave and fine bytes give.
#pragma once

#include "synth_core.h"

namespace t815 {

// The two switches every program select sets: oscillator B sounds unless the
// program is a single-oscillator one, and the filter is on. Program data is
// constant after construction, so any thread may ask.
struct ProgramSwitches {
    bool unisonOn;
    bool filterOn;
};
ProgramSwitches switchesOfProgram(const SynthCore& core, int programNumber);

// The two digits of a program number: its group 0..3 and its timbre 0..7.
struct ProgramDigits {
    std::int32_t tens;
    std::int32_t units;
};
inline ProgramDigits digitsOfProgram(int programNumber) {
    return {programNumber / 10, programNumber % 10};
}

struct PitchBases {
    std::int32_t oscA; // first oscillator of a slot
    std::int32_t oscB; // second oscillator of a slot
};

// Pitch indices of the two oscillators for key 57 with no offset.
PitchBases pitchBases(const SynthCore& core, int programNumber);

// Selects program number n (one of the 32). With reset every voice is
// silenced and restarted from the new program's envelopes; without it the
// sounding keys go on and are re-pitched.
void selectProgram(SynthCore& core, int programNumber, bool reset);

// Pitch indices of both oscillators of every held or released slot, from the
// current program, the keys, pitchOffset and unisonOn.
void updatePitches(SynthCore& core);

} // namespace t815
