// The envelope builders: the current program's amplitude and filter
// templates (attack, decay, sustain) and the release sequences built when
// keys are let go. Each level is stored once per step it lasts.
#pragma once

#include "synth_core.h"

#include <vector>

namespace t815 {

// Levels from start to end inclusive in equal steps, the last step shortened
// to land exactly on end; [start] alone when start = end or when step points
// away from end.
std::vector<std::int32_t> levelRamp(std::int32_t start, std::int32_t end, std::int32_t step);

// Rebuild core.ampTemplate / core.filterTemplate from the current program, in
// the core's envelope storage. A template of the same program that a stream
// still reads is shared instead of built again; the sequences streams read
// are never overwritten.
void buildAmpTemplate(SynthCore& core);
void buildFilterTemplate(SynthCore& core);

// Restarts slot k's amplitude stream, or the filter stream, on the release
// from level a (0..255), built in the core's envelope storage.
void startAmpRelease(SynthCore& core, int slot, int a);
void startFilterRelease(SynthCore& core, int a);

// The same release sequences, written into out (its previous contents are
// replaced).
void buildAmpRelease(const SynthCore& core, int a, ByteSequence& out);
void buildFilterRelease(const SynthCore& core, int a, ByteSequence& out);

} // namespace t815
