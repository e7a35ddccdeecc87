// Events on the frame timeline: rounding to frames, splitting across blocks
// with deltaFrames, crowded blocks; and the demo piece the renderer plays by
// default (length, programs, stealing, bend, wheel, every note released).
#include "demo_piece.h"
#include "event_schedule.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TimedMidiEvent noteOn(double seconds, std::uint8_t key) {
    return {seconds, {0x90, key, 100}, 3};
}

struct Delivered {
    std::int64_t block;
    int deltaFrames;
    int key;
};

std::vector<Delivered> deliverAll(EventSchedule& schedule, std::int64_t totalFrames,
                                  int blockSize) {
    std::vector<Delivered> delivered;
    for (std::int64_t start = 0; start < totalFrames; start += blockSize) {
        const int frames = int(std::min<std::int64_t>(blockSize, totalFrames - start));
        VstEvents* list = eventsForBlock(schedule, start, frames);
        EXPECT_NE(list, nullptr);
        for (int i = 0; i < list->numEvents; ++i) {
            const VstMidiEvent* event = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            EXPECT_EQ(event->type, kVstMidiType);
            EXPECT_EQ(event->byteSize, int(sizeof(VstMidiEvent)));
            EXPECT_GE(event->deltaFrames, 0);
            EXPECT_LT(event->deltaFrames, frames);
            delivered.push_back({start / blockSize, event->deltaFrames, event->midiData[1]});
        }
    }
    return delivered;
}

TEST(EventSchedule, FramesRoundToNearest) {
    EXPECT_EQ(frameAtSeconds(0.0, 44100.0), 0);
    EXPECT_EQ(frameAtSeconds(1.0, 44100.0), 44100);
    EXPECT_EQ(frameAtSeconds(0.4 / 44100.0, 44100.0), 0);
    EXPECT_EQ(frameAtSeconds(0.6 / 44100.0, 44100.0), 1);
    EXPECT_EQ(frameAtSeconds(-3.0, 44100.0), 0);
}

TEST(EventSchedule, EventsLandInTheirBlockAtTheirOffset) {
    // Rate 1000: seconds × 1000 = frame. Blocks of 64 frames.
    MidiSequence sequence;
    sequence.events = {noteOn(0.0, 1), noteOn(0.063, 2), noteOn(0.064, 3), noteOn(0.200, 4),
                       noteOn(0.200, 5)};
    sequence.endSeconds = 0.25;
    EventSchedule schedule;
    buildEventSchedule(schedule, sequence, 1000.0, 64);
    EXPECT_EQ(schedule.endFrame, 250);
    const std::vector<Delivered> got = deliverAll(schedule, 300, 64);
    ASSERT_EQ(got.size(), 5u);
    const Delivered expected[] = {{0, 0, 1}, {0, 63, 2}, {1, 0, 3}, {3, 8, 4}, {3, 8, 5}};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].block, expected[i].block) << i;
        EXPECT_EQ(got[i].deltaFrames, expected[i].deltaFrames) << i;
        EXPECT_EQ(got[i].key, expected[i].key) << i;
    }
}

TEST(EventSchedule, CrowdedBlockAndEndAfterLastEvent) {
    MidiSequence sequence;
    for (int i = 0; i < 100; ++i)
        sequence.events.push_back(noteOn(0.010 + i * 0.0001, std::uint8_t(i)));
    sequence.events.push_back({0.5, {0xC0, 7, 0}, 2});
    sequence.endSeconds = 0.1; // earlier than the last event: the end moves after it
    EventSchedule schedule;
    buildEventSchedule(schedule, sequence, 1000.0, 512);
    EXPECT_EQ(schedule.endFrame, 500);
    const std::vector<Delivered> got = deliverAll(schedule, schedule.endFrame + 1, 512);
    ASSERT_EQ(got.size(), 101u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(got[i].key, i); // order kept within a frame
    EXPECT_EQ(got[100].deltaFrames, 500);
    const VstMidiEvent& program = schedule.midiEvents[100];
    EXPECT_EQ(program.midiData[0], char(0xC0));
    EXPECT_EQ(program.midiData[2], 0);
    EXPECT_EQ(program.midiData[3], 0);
}

TEST(EventSchedule, EmptySequenceGivesEmptyLists) {
    EventSchedule schedule;
    buildEventSchedule(schedule, MidiSequence{}, 44100.0, 256);
    EXPECT_EQ(schedule.endFrame, 0);
    VstEvents* list = eventsForBlock(schedule, 0, 256);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->numEvents, 0);
}

TEST(DemoPiece, AboutThirtySecondsOfOrderedEvents) {
    const MidiSequence demo = demoPiece();
    EXPECT_GE(demo.endSeconds, 25.0);
    EXPECT_LE(demo.endSeconds, 35.0);
    ASSERT_FALSE(demo.events.empty());
    for (std::size_t i = 1; i < demo.events.size(); ++i)
        ASSERT_LE(demo.events[i - 1].seconds, demo.events[i].seconds);
    EXPECT_LE(demo.events.back().seconds, demo.endSeconds);
}

TEST(DemoPiece, ExercisesProgramsStealingBendAndWheel) {
    const MidiSequence demo = demoPiece();
    std::set<int> programs;
    std::set<int> held;
    std::size_t mostHeld = 0;
    bool bendUp = false, bendCentred = false, wheelUp = false;
    for (const TimedMidiEvent& event : demo.events) {
        const int status = event.bytes[0] & 0xF0;
        const int key = event.bytes[1];
        if (status == 0x90 && event.bytes[2] > 0) {
            EXPECT_LE(key, 84) << "the instrument ignores keys above 84";
            held.insert(key);
            mostHeld = std::max(mostHeld, held.size());
        } else if (status == 0x80 || status == 0x90) {
            held.erase(key);
        } else if (status == 0xC0) {
            EXPECT_EQ(event.size, 2);
            EXPECT_LT(key, 32);
            programs.insert(key);
        } else if (status == 0xE0) {
            const int value = event.bytes[2] * 128 + key;
            bendUp = bendUp || value == 16383;
            bendCentred = value == 8192;
        } else if (status == 0xB0 && key == 1) {
            wheelUp = wheelUp || event.bytes[2] == 127;
        }
    }
    EXPECT_GE(programs.size(), 5u);
    EXPECT_GT(mostHeld, 4u) << "four voices: a fifth note must steal";
    EXPECT_TRUE(held.empty()) << "every note is released";
    EXPECT_TRUE(bendUp);
    EXPECT_TRUE(bendCentred) << "the bend ends centred";
    EXPECT_TRUE(wheelUp);
}

} // namespace
