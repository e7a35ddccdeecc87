// Unpacking the ROM image into the core's tables and voice programs.
#pragma once

#include "synth_core.h"

namespace t815 {

// Fills pitchIncrements, waveTable, the level tables and voicePrograms from
// the embedded image and marks the core ready (constructCore then selects
// program 00). Always succeeds: the image is part of the library.
bool unpackRom(SynthCore& core);

} // namespace t815
