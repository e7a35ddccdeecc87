// A piece of music as the renderer plays it: channel messages stamped with
// their time in seconds from the start, in the order they are to be sent,
// and the time at which the piece ends.
#pragma once

#include <cstdint>
#include <vector>

struct TimedMidiEvent {
    double seconds;        // from the start of the piece
    std::uint8_t bytes[3]; // status, then one or two data bytes
    std::uint8_t size;     // 2 or 3
};

struct MidiSequence {
    std::vector<TimedMidiEvent> events; // ordered by time; ties keep their order
    double endSeconds = 0.0;            // at or after the last event
};
