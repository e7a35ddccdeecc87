// MIDI intake through effProcessEvents: notes, the modulation wheel, pitch
// bend and program changes on any channel, applied at delivery; malformed
// lists and messages that must be ignored.
#include "plugin_host_fixture.h"

#include "core_fixture.h"
#include "key_slots.h"
#include "program_select.h"

#include <cmath>

namespace t815::test {
namespace {

// What a MIDI message can change, for checking that one changed nothing.
struct MidiVisibleState {
    VoiceSlot slots[4];
    std::uint32_t noteCounter;
    float bendRatio, modWheel, cutoffCoef;
    std::int32_t program;

    explicit MidiVisibleState(const PluginInstance& p)
        : noteCounter(p.core.noteCounter), bendRatio(p.core.bendRatio), modWheel(p.modWheel),
          cutoffCoef(p.core.cutoffCoef), program(p.currentProgramIndex) {
        std::memcpy(slots, p.core.slots, sizeof slots);
    }
    bool operator==(const MidiVisibleState& o) const {
        return std::memcmp(slots, o.slots, sizeof slots) == 0 && noteCounter == o.noteCounter &&
               bendRatio == o.bendRatio && modWheel == o.modWheel && cutoffCoef == o.cutoffCoef &&
               program == o.program;
    }
};

class MidiTest : public PluginTest {
  protected:
    const VoiceSlot* slotFor(int key) {
        for (const VoiceSlot& slot : instance().core.slots)
            if (slot.state != kSlotFree && slot.key == key) return &slot;
        return nullptr;
    }
};

TEST_F(MidiTest, NoteOnVelocityZeroAndNoteOffAnyVelocityRelease) {
    const int releases[][3] = {{0x90, 60, 0}, {0x80, 60, 0}, {0x80, 60, 127}, {0x8F, 60, 64}};
    for (const auto& release : releases) {
        sendMidi({midiEvent(0x90, 60, 100)});
        ASSERT_NE(slotFor(60), nullptr);
        EXPECT_EQ(slotFor(60)->state, kSlotHeld);
        sendMidi({midiEvent(release[0], release[1], release[2])});
        ASSERT_NE(slotFor(60), nullptr);
        EXPECT_EQ(slotFor(60)->state, kSlotReleased) << std::hex << release[0];
    }
}

TEST_F(MidiTest, NoteOnAndOffInOneListAreBothAppliedBeforeTheNextBlock) {
    sendMidi({midiEvent(0x90, 62, 90, 10), midiEvent(0x80, 62, 0, 200)});
    ASSERT_NE(slotFor(62), nullptr);
    EXPECT_EQ(slotFor(62)->state, kSlotReleased);
}

TEST_F(MidiTest, EveryChannelActsTheSame) {
    for (int channel = 0; channel < 16; ++channel) {
        sendMidi({midiEvent(0x90 | channel, 40 + channel, 100)});
        ASSERT_NE(slotFor(40 + channel), nullptr) << channel;
        sendMidi({midiEvent(0x80 | channel, 40 + channel, 0)});
        EXPECT_EQ(slotFor(40 + channel)->state, kSlotReleased) << channel;
        sendMidi({midiEvent(0xC0 | channel, channel, 0)});
        EXPECT_EQ(dispatch(effGetProgram), channel);
        sendMidi({midiEvent(0xB0 | channel, 1, channel)});
        EXPECT_EQ(instance().modWheel, static_cast<float>(channel / 127.0));
    }
}

TEST_F(MidiTest, DataBytesAreReducedToSevenBits) {
    sendMidi({midiEvent(0x90, 0x80 | 60, 0x80 | 5)});
    ASSERT_NE(slotFor(60), nullptr);
    sendMidi({midiEvent(0x90, 60, 0x80)}); // velocity 0x80 is 0: a release
    EXPECT_EQ(slotFor(60)->state, kSlotReleased);
    sendMidi({midiEvent(0xC0, 0x80 | 3, 0)});
    EXPECT_EQ(dispatch(effGetProgram), 3);
}

TEST_F(MidiTest, ModulationWheelMovesTheCutoffCoefficient) {
    sendMidi({midiEvent(0xB0, 1, 127)});
    EXPECT_EQ(instance().modWheel, 1.0f);
    EXPECT_EQ(instance().core.cutoffCoef, static_cast<float>(double(0.95f) - double(0.65f)));
    EXPECT_NEAR(instance().core.cutoffCoef, 0.30f, 1e-6f);

    sendMidi({midiEvent(0xB0, 1, 0)});
    EXPECT_EQ(instance().modWheel, 0.0f);
    EXPECT_EQ(instance().core.cutoffCoef, 0.95f);

    effect->setParameter(effect, kParamCutoff, 0.0f); // 0.05: the wheel cannot go lower
    sendMidi({midiEvent(0xB0, 1, 127)});
    EXPECT_EQ(instance().core.cutoffCoef, 0.05f);

    const MidiVisibleState before(instance());
    sendMidi({midiEvent(0xB0, 7, 0), midiEvent(0xB0, 64, 127), midiEvent(0xB0, 0, 3)});
    EXPECT_TRUE(before == MidiVisibleState(instance())); // only controller 1 is read
    EXPECT_EQ(hostRecord.calls, 0);
}

TEST_F(MidiTest, PitchBendSetsTheRatio) {
    sendMidi({midiEvent(0xE0, 0x00, 0x40)});
    EXPECT_EQ(instance().core.bendRatio, 1.0f);
    sendMidi({midiEvent(0xE0, 0x00, 0x00)});
    EXPECT_NEAR(instance().core.bendRatio, 0.8908987f, 2e-7f);
    sendMidi({midiEvent(0xE0, 0x7F, 0x7F)});
    EXPECT_NEAR(instance().core.bendRatio, 1.1224462f, 2e-7f);
    EXPECT_EQ(instance().core.oscPitch[0], 0); // bend triggers no pitch recomputation
}

// Every one of the 16384 bend values gives the float nearest to 2^e: the
// plug-in's own series agrees with the C library wherever the latter is
// correctly rounded, and does not depend on it.
TEST_F(MidiTest, EveryPitchBendValueGivesTheNearestFloatToItsPowerOfTwo) {
    int mismatches = 0;
    for (int value = 0; value < 16384; ++value) {
        sendMidi({midiEvent(0xE0, value & 0x7F, value >> 7)});
        const float e = static_cast<float>((value - 8192) * 0x1p-13 * (1.0 / 6.0));
        const double exact = std::exp2(static_cast<double>(e));
        const float got = instance().core.bendRatio;
        // The float nearest to exact: no other float is closer.
        const double error = std::fabs(static_cast<double>(got) - exact);
        const double below = std::fabs(double(std::nextafter(got, 0.0f)) - exact);
        const double above = std::fabs(double(std::nextafter(got, 2.0f)) - exact);
        if (!(error <= below && error <= above)) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(MidiTest, ProgramChangesAboveThirtyOneAreIgnored) {
    sendMidi({midiEvent(0xC0, 31, 0)});
    EXPECT_EQ(dispatch(effGetProgram), 31);
    EXPECT_EQ(programName(), "37 Synth Bass");
    sendMidi({midiEvent(0xC0, 32, 0)});
    EXPECT_EQ(dispatch(effGetProgram), 31);
}

TEST_F(MidiTest, OtherMessagesChangeNothing) {
    noteOn(50);
    const MidiVisibleState before(instance());
    sendMidi({midiEvent(0xA0, 50, 100), midiEvent(0xD0, 100, 0), midiEvent(0xF0, 60, 100),
              midiEvent(0xF8, 0, 0), midiEvent(0x7F, 60, 100), midiEvent(0x00, 0, 0)});
    EXPECT_TRUE(before == MidiVisibleState(instance()));
}

TEST_F(MidiTest, KeysAboveTheCoreRangeAreIgnored) {
    const MidiVisibleState before(instance());
    sendMidi({midiEvent(0x90, 85, 100), midiEvent(0x90, 127, 100), midiEvent(0x80, 127, 0)});
    EXPECT_TRUE(before == MidiVisibleState(instance()));
    sendMidi({midiEvent(0x90, 84, 100)});
    EXPECT_NE(slotFor(84), nullptr);
}

TEST_F(MidiTest, MalformedListsAreAnsweredOneAndSkipped) {
    const MidiVisibleState before(instance());
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 1);

    EventList empty;
    VstEvents* list = empty.build(std::vector<VstEvent*>{});
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    list->numEvents = -5;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);

    // A SysEx event, a null entry and a MIDI event after them.
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    char dump[] = {char(0xF0), char(0x90), 60, 100, char(0xF7)};
    sysex.dumpBytes = sizeof dump;
    sysex.sysexDump = dump;
    VstMidiEvent disguised = midiEvent(0x90, 61, 100);
    disguised.type = kVstSysExType + 1;
    VstMidiEvent note = midiEvent(0x90, 62, 100);
    EventList mixed;
    list = mixed.build(std::vector<VstEvent*>{reinterpret_cast<VstEvent*>(&sysex), nullptr,
                                              reinterpret_cast<VstEvent*>(&disguised),
                                              reinterpret_cast<VstEvent*>(&note)});
    EXPECT_TRUE(before == MidiVisibleState(instance()));
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    EXPECT_EQ(slotFor(60), nullptr);
    EXPECT_EQ(slotFor(61), nullptr);
    EXPECT_NE(slotFor(62), nullptr);
}

TEST_F(MidiTest, DeltaFramesDoNotDelayEvents) {
    AEffect* twin = pluginEntry()(nullptr);
    ASSERT_NE(twin, nullptr);
    sendMidi({midiEvent(0x90, 57, 100, 0)});
    VstMidiEvent late = midiEvent(0x90, 57, 100, 300);
    EventList list;
    twin->dispatcher(twin, effProcessEvents, 0, 0, list.build({reinterpret_cast<VstEvent*>(&late)}),
                     0.0f);
    const Stereo ours = render(512), theirs = renderOn(twin, 512);
    EXPECT_TRUE(bitsEqual(ours.left, theirs.left));
    EXPECT_FALSE(allZero(ours.left));
    twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);
}

// Lists longer than the plug-in builds at once, and longer than its change
// queue, arrive whole and in order: the core ends where a direct replay of
// the same messages leaves one.
TEST_F(MidiTest, LongListsAreAppliedWholeAndInOrder) {
    for (int length : {511, 512, 600, 10000}) {
        std::vector<VstMidiEvent> events;
        for (int i = 0; i < length; ++i) {
            const int key = 40 + (i * 7) % 30;
            events.push_back(i % 50 == 49 ? midiEvent(0xC0, (i / 50) % 32, 0)
                                          : midiEvent(i % 3 ? 0x90 : 0x80, key, 100));
        }
        CorePtr replay = makeCore();
        ASSERT_TRUE(replay);
        for (int i = 0; i < length; ++i) {
            const VstMidiEvent& e = events[static_cast<std::size_t>(i)];
            const int status = static_cast<unsigned char>(e.midiData[0]);
            if (status == 0xC0)
                selectProgram(*replay, replay->programNumbers[static_cast<int>(e.midiData[1])],
                              !anyKeyHeld(*replay));
            else if (status == 0x90)
                t815::noteOn(*replay, e.midiData[1]);
            else
                t815::noteOff(*replay, e.midiData[1]);
        }
        EventList list;
        std::vector<VstEvent*> pointers;
        for (VstMidiEvent& e : events)
            pointers.push_back(reinterpret_cast<VstEvent*>(&e));
        AEffect* fresh = pluginEntry()(recordingHost);
        ASSERT_NE(fresh, nullptr);
        hostRecord.reset(fresh);
        fresh->dispatcher(fresh, effProcessEvents, 0, 0, list.build(pointers), 0.0f);
        const SynthCore& core = settledInstance(fresh).core;
        EXPECT_EQ(core.noteCounter, replay->noteCounter) << length;
        EXPECT_EQ(core.currentProgram, replay->currentProgram) << length;
        EXPECT_EQ(std::memcmp(core.slots, replay->slots, sizeof core.slots), 0) << length;
        EXPECT_EQ(hostRecord.updateDisplayCalls, length / 50) << length;
        fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
    }
}

} // namespace
} // namespace t815::test
