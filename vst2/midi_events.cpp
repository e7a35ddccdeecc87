// A VstEvents list read as the instrument's MIDI list: the instrument is
// omni and ignores timing within the block, so only each MIDI event's three
// bytes matter; every event acts when the list is delivered, in list order.
#include "midi_events.h"

#include "midi_intake.h"

#include <cstddef>

namespace t815 {

namespace {

bool readMidiEvent(const void* list, std::int32_t i, MidiMessage& message) {
    const VstEvent* event = static_cast<const VstEvent* const*>(list)[i];
    if (!event || event->type != kVstMidiType) return false;
    const char* bytes = reinterpret_cast<const VstMidiEvent*>(event)->midiData;
    for (int b = 0; b < 3; ++b)
        message.bytes[b] = static_cast<std::uint8_t>(bytes[b]);
    return true;
}

} // namespace

void processMidiEvents(PluginInstance& instance, const VstEvents* events) {
    if (!events || events->numEvents <= 0) return;
    // The host's array is numEvents long, not the two elements VstEvents
    // declares: it is read through a pointer to where it starts.
    const auto* list = reinterpret_cast<const VstEvent* const*>(
        reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
    receiveMidiList(instance, list, events->numEvents, readMidiEvent);
}

} // namespace t815
