// The key assigner: four slots, reuse, free slots, stealing by a fixed
// priority, envelope restarts and releases.
#pragma once

#include "synth_core.h"

namespace t815 {

void noteOn(SynthCore& core, std::int32_t key);
void noteOff(SynthCore& core, std::int32_t key);

// True while at least one slot's key is down.
bool anyKeyHeld(const SynthCore& core);

// Silences every voice at once: all slots free, pitches 0, filter state 0
// (the panel's voice-reset button).
void resetVoices(SynthCore& core);

} // namespace t815
