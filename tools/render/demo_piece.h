// The piece rendered when no MIDI file is given: about thirty seconds in
// A minor (Am - F - C - G) that walks through several of the instrument's
// programs and exercises chords, releases, voice stealing, pitch bend and the
// modulation wheel.
#pragma once

#include "midi_sequence.h"

MidiSequence demoPiece();
