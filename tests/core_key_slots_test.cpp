// The key assigner: slot choice, stealing, envelope restarts and releases.
#include "core_fixture.h"

#include "key_slots.h"
#include "program_select.h"

#include <gtest/gtest.h>

namespace t815 {
namespace {

using test::makeCore;

int slotOfKey(const SynthCore& core, int key) {
    for (int k = 0; k < kSlotCount; ++k)
        if (core.slots[k].key == key && core.slots[k].state != kSlotFree) return k;
    return -1;
}

TEST(KeySlots, FillThenStealHighestHeldKey) {
    auto core = makeCore();
    for (int key : {60, 64, 67, 72})
        noteOn(*core, key);
    for (int k = 0; k < kSlotCount; ++k) {
        EXPECT_EQ(core->slots[k].state, kSlotHeld);
        EXPECT_EQ(core->slots[k].age, static_cast<std::uint32_t>(k + 1));
    }
    EXPECT_EQ(slotOfKey(*core, 72), 3);

    noteOn(*core, 50); // steals 72
    EXPECT_EQ(core->slots[3].key, 50);
    EXPECT_EQ(core->slots[3].age, 5u);
    noteOn(*core, 80); // 67 is now the highest held key
    EXPECT_EQ(core->slots[2].key, 80);
    EXPECT_EQ(slotOfKey(*core, 60), 0); // the lowest key is never stolen
}

TEST(KeySlots, ReleasedSlotWithHighestKeyGoesFirst) {
    auto core = makeCore();
    for (int key : {60, 64, 67, 72})
        noteOn(*core, key);
    noteOff(*core, 60);
    noteOff(*core, 72);
    noteOn(*core, 40);
    EXPECT_EQ(core->slots[3].key, 40);
    EXPECT_EQ(core->slots[3].state, kSlotHeld);
    EXPECT_EQ(core->slots[0].state, kSlotReleased);
}

TEST(KeySlots, RetriggerRestartsOnlyItsSlotAndTheFilter) {
    auto core = makeCore();
    noteOn(*core, 60);
    noteOn(*core, 64);
    core->ampStreams[0].readPos = 500;
    core->ampStreams[1].readPos = 700;
    core->filterStream.readPos = 9;
    noteOn(*core, 60);
    EXPECT_EQ(core->ampStreams[0].readPos, 0u);
    EXPECT_EQ(core->ampStreams[1].readPos, 700u);
    EXPECT_EQ(core->filterStream.readPos, 0u);
    EXPECT_EQ(core->slots[2].state, kSlotFree); // no second slot
    EXPECT_EQ(core->slots[0].age, 3u);
}

TEST(KeySlots, KeysAboveTheRangeAreIgnored) {
    auto core = makeCore();
    noteOn(*core, 85);
    EXPECT_EQ(core->noteCounter, 0u);
    EXPECT_EQ(core->slots[0].state, kSlotFree);
    noteOn(*core, 84);
    EXPECT_EQ(core->slots[0].key, 84);
    noteOn(*core, -1000); // negative keys clamp to a silent pitch, never out of range
    EXPECT_EQ(core->oscPitch[2], 0);
}

TEST(KeySlots, FilterReleasesOnlyOnceNoKeyIsHeld) {
    auto core = makeCore();
    selectProgram(*core, 1, true); // a filter envelope with a release
    noteOn(*core, 60);
    noteOn(*core, 64);
    core->filterStream.readPos = 250; // level 128
    noteOff(*core, 60);
    EXPECT_EQ(core->slots[0].state, kSlotReleased);
    EXPECT_EQ(core->slots[1].state, kSlotHeld);
    EXPECT_EQ(core->filterStream.levels, core->filterTemplate); // still playing
    EXPECT_EQ(core->filterStream.readPos, 250u);

    noteOff(*core, 72); // not held, another key is: nothing happens
    EXPECT_EQ(core->filterStream.readPos, 250u);

    noteOff(*core, 64); // release from 128 in steps of 8
    EXPECT_EQ(core->filterStream.levels.data[0], 120);
    EXPECT_EQ(core->filterStream.readPos, 0u);
    EXPECT_EQ(core->filterStream.levels.size, 15u * 100 + 100);

    core->filterStream.readPos = 100; // level 112
    noteOff(*core, 64);               // a stray note-off rebuilds the release again
    EXPECT_EQ(core->filterStream.levels.data[0], 104);
    EXPECT_EQ(core->filterStream.readPos, 0u);
}

TEST(KeySlots, SlotReleaseStartsFromItsCurrentLevel) {
    auto core = makeCore(); // program 00: attack 0, 48, 96 ... release step 8
    noteOn(*core, 60);
    core->ampStreams[0].readPos = 250; // level 96
    noteOff(*core, 60);
    const ByteSequence levels = test::bytesOf(core->ampStreams[0].levels);
    EXPECT_EQ(levels.front(), 88);
    EXPECT_EQ(levels.size(), 11u * 100 + 100);
    EXPECT_EQ(core->slots[0].key, 60); // keeps its key and pitch while releasing
    EXPECT_NE(core->oscPitch[0], 0);
}

TEST(KeySlots, UnisonDecidesOscillatorB) {
    auto core = makeCore();
    core->unisonOn = false;
    noteOn(*core, 60);
    noteOn(*core, 62);
    EXPECT_EQ(core->oscPitch[1], 0);
    EXPECT_EQ(core->oscPitch[3], 0);
    core->unisonOn = true;
    updatePitches(*core);
    EXPECT_EQ(core->oscPitch[1], 1623 + 48);
    EXPECT_EQ(core->oscPitch[3], 1623 + 80);
}

TEST(KeySlots, AllSlotsOnOneKeyTakeTheOldest) {
    auto core = makeCore();
    for (int k = 0; k < kSlotCount; ++k)
        core->slots[k] = {60, kSlotHeld, static_cast<std::uint32_t>(10 - k)};
    noteOn(*core, 70);
    EXPECT_EQ(core->slots[0].key, 60); // 60 is a retrigger candidate only for key 60
    EXPECT_EQ(core->slots[3].key, 70);
    for (VoiceSlot& slot : core->slots)
        slot = {60, kSlotHeld, 0xFFFFFFFFu};
    const std::uint32_t counter = core->noteCounter;
    noteOn(*core, 70); // every age at the limit: no slot is chosen
    EXPECT_EQ(core->noteCounter, counter + 1);
    for (const VoiceSlot& slot : core->slots)
        EXPECT_EQ(slot.key, 60);
}

TEST(KeySlots, ResetVoicesSilencesWithoutTouchingStreams) {
    auto core = makeCore();
    noteOn(*core, 60);
    core->filterState[0] = 3.0f;
    core->ampStreams[0].readPos = 42;
    resetVoices(*core);
    EXPECT_EQ(core->slots[0].state, kSlotFree);
    EXPECT_EQ(core->oscPitch[0], 0);
    EXPECT_EQ(core->filterState[0], 0.0f);
    EXPECT_EQ(core->ampStreams[0].readPos, 42u);
}

} // namespace
} // namespace t815
