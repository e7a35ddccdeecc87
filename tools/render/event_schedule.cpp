// Placement of MIDI events on the frame timeline and their per-block lists.
#include "event_schedule.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

std::size_t listWords(std::size_t capacity) {
    const std::size_t bytes =
        offsetof(VstEvents, events) + std::max<std::size_t>(capacity, 2) * sizeof(VstEvent*);
    return (bytes + sizeof(VstIntPtr) - 1) / sizeof(VstIntPtr);
}

VstEvents* listOf(EventSchedule& schedule) {
    return reinterpret_cast<VstEvents*>(schedule.listStorage.data());
}

} // namespace

std::int64_t frameAtSeconds(double seconds, double sampleRate) {
    const double frame = std::floor(seconds * sampleRate + 0.5);
    return frame > 0.0 ? static_cast<std::int64_t>(frame) : 0;
}

void buildEventSchedule(EventSchedule& schedule, const MidiSequence& sequence, double sampleRate,
                        int blockSize) {
    const std::int64_t block = std::max(blockSize, 1);
    schedule.midiEvents.clear();
    schedule.frames.clear();
    schedule.midiEvents.reserve(sequence.events.size());
    schedule.frames.reserve(sequence.events.size());
    schedule.nextEvent = 0;

    std::int64_t lastFrame = -1;
    std::size_t fullest = 0, inBlock = 0;
    std::int64_t currentBlock = -1;
    for (const TimedMidiEvent& timed : sequence.events) {
        // Never earlier than the event before: the list order is the play order.
        const std::int64_t frame = std::max(frameAtSeconds(timed.seconds, sampleRate), lastFrame);
        lastFrame = std::max<std::int64_t>(frame, 0);
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(timed.bytes[0]);
        event.midiData[1] = static_cast<char>(timed.bytes[1]);
        if (timed.size > 2) event.midiData[2] = static_cast<char>(timed.bytes[2]);
        schedule.midiEvents.push_back(event);
        schedule.frames.push_back(lastFrame);

        const std::int64_t eventBlock = lastFrame / block;
        inBlock = eventBlock == currentBlock ? inBlock + 1 : 1;
        currentBlock = eventBlock;
        fullest = std::max(fullest, inBlock);
    }
    // An event on the very last frame goes out with the tail's first block.
    schedule.endFrame = std::max(frameAtSeconds(sequence.endSeconds, sampleRate), lastFrame);
    schedule.listStorage.assign(listWords(fullest), 0);
    new (schedule.listStorage.data()) VstEvents{};
}

std::size_t blockCapacity(const EventSchedule& schedule) {
    if (schedule.listStorage.empty()) return 0;
    return (schedule.listStorage.size() * sizeof(VstIntPtr) - offsetof(VstEvents, events)) /
           sizeof(VstEvent*);
}

VstEvents* eventsForBlock(EventSchedule& schedule, std::int64_t blockStart, int blockFrames) {
    VstEvents* list = listOf(schedule);
    if (list == nullptr) return nullptr;
    list->numEvents = 0;
    const std::int64_t blockEnd = blockStart + std::max(blockFrames, 0);
    const std::size_t capacity = blockCapacity(schedule);
    while (schedule.nextEvent < schedule.midiEvents.size() &&
           schedule.frames[schedule.nextEvent] < blockEnd &&
           std::size_t(list->numEvents) < capacity) {
        VstMidiEvent& event = schedule.midiEvents[schedule.nextEvent];
        event.deltaFrames = static_cast<VstInt32>(
            std::max<std::int64_t>(schedule.frames[schedule.nextEvent] - blockStart, 0));
        list->events[list->numEvents++] = reinterpret_cast<VstEvent*>(&event);
        ++schedule.nextEvent;
    }
    return list;
}
