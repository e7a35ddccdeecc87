// MIDI intake: lists of MIDI messages, as bytes, applied at once.
#pragma once

#include <cstdint>

namespace t815 {

struct PluginInstance;

// One channel message: status byte, then up to two data bytes (unused ones
// may hold anything).
struct MidiMessage {
    std::uint8_t bytes[3];
};

// Reads message i (0..count-1) of a face's own list into message; false for
// an entry that is no MIDI message (another event type, a null entry).
using MidiListReader = bool (*)(const void* list, std::int32_t i, MidiMessage& message);

// Applies every MIDI message of the list in order, as one run of changes
// that reaches the core whole, before its next block; program changes are
// announced after the run is queued. A null list or count <= 0 does nothing.
void receiveMidiList(PluginInstance& instance, const void* list, std::int32_t count,
                     MidiListReader read);

// The same for a plain array of messages.
void receiveMidi(PluginInstance& instance, const MidiMessage* messages, std::int32_t count);

} // namespace t815
