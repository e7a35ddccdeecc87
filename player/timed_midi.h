// Rendering an audio period whose MIDI messages carry frame offsets, as JACK
// delivers them: the period is rendered in pieces split at the offsets, and
// each message reaches the instrument between the pieces, so that it takes
// effect at its own frame rather than at the period's start. Runs on the
// audio thread: it allocates nothing and never waits.
#pragma once

#include "midi_intake.h"

#include <cstdint>

namespace t815 {

struct PluginInstance;

struct TimedMidi {
    std::uint32_t frame; // offset from the period's first frame
    MidiMessage message;
};

// Reads event i (0..count-1) of a face's own list; false for an entry that is
// no MIDI channel message, which is skipped.
using TimedMidiReader = bool (*)(const void* list, std::uint32_t i, TimedMidi& event);

// Renders frames samples into left and right (right may be null), with the
// list's events applied at their offsets. Events are taken in list order; an
// offset earlier than the one before it counts as that one, and an offset at
// or past the period's end applies the event after the last frame (it takes
// effect at the next period).
void renderWithTimedMidi(PluginInstance& instance, float* left, float* right, std::uint32_t frames,
                         const void* list, std::uint32_t count, TimedMidiReader read);

} // namespace t815
