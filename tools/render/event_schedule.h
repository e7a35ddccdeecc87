// MIDI events placed on the sample timeline and handed to the plug-in block
// by block: each block gets a VstEvents list of the events that fall inside
// it, with deltaFrames counted from the block's first frame. All storage is
// allocated up front, so rendering allocates nothing per block.
#pragma once

#include "midi_sequence.h"
#include "vst2_abi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct EventSchedule {
    std::vector<VstMidiEvent> midiEvents; // in time order
    std::vector<std::int64_t> frames;     // frame of each event, from the start
    std::vector<VstIntPtr> listStorage;   // a VstEvents with room for the fullest block
    std::size_t nextEvent = 0;            // first event not yet handed out
    std::int64_t endFrame = 0; // frame at which the piece ends, at or after the last event
};

// The frame of a time: seconds × rate, rounded to the nearest frame.
std::int64_t frameAtSeconds(double seconds, double sampleRate);

// Places every event of the sequence. `blockSize` must be positive; it sizes
// the per-block list for blocks that start at multiples of it.
void buildEventSchedule(EventSchedule& schedule, const MidiSequence& sequence, double sampleRate,
                        int blockSize);

// The most events one block's list can hold: those of the fullest block.
std::size_t blockCapacity(const EventSchedule& schedule);

// The events in frames [blockStart, blockStart + blockFrames) not yet handed
// out, as a list valid until the next call. Blocks must be asked for in order.
VstEvents* eventsForBlock(EventSchedule& schedule, std::int64_t blockStart, int blockFrames);
