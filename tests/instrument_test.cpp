// The instrument shell on its own, as every face drives it: MIDI as bytes,
// settings and program selects from any thread, the render call. Nothing of
// a plug-in format or of the panel is linked.
#include "core_fixture.h"
#include "instrument_operations.h"
#include "instrument_render.h"
#include "key_slots.h"
#include "midi_intake.h"
#include "program_select.h"
#include "rate_converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace t815::test {
namespace {

struct InstrumentTest : ::testing::Test {
    static inline int announcements = 0;
    static void countAnnouncement(void*) { ++announcements; }

    void SetUp() override {
        announcements = 0;
        instance = createPluginInstance({nullptr, countAnnouncement, nullptr, nullptr});
        ASSERT_NE(instance, nullptr);
    }
    void TearDown() override { destroyPluginInstance(instance); }

    std::vector<float> render(int frames) {
        std::vector<float> left(frames), right(frames);
        renderInstrumentBlock(*instance, left.data(), right.data(), frames);
        EXPECT_EQ(left, right);
        return left;
    }

    PluginInstance* instance = nullptr;
};

// MIDI bytes reach the core as the same operations a face of any format
// would make, and the output is the core's, scaled by the volume.
TEST_F(InstrumentTest, MidiBytesSoundLikeTheCoreOperations) {
    const MidiMessage messages[] = {
        {{0xC3, 13, 0}},   // program change to index 13 (program 15), any channel
        {{0x90, 60, 100}}, // note on
        {{0x91, 64, 1}},   // note on, another channel
        {{0xB0, 1, 64}},   // the wheel
        {{0xE0, 0, 96}},   // bend up
        {{0x90, 60, 0}},   // velocity 0 releases
        {{0xA0, 64, 10}},  // aftertouch: nothing
        {{0xC0, 100, 0}},  // program 100: nothing
    };
    receiveMidi(*instance, messages, sizeof messages / sizeof messages[0]);
    EXPECT_EQ(announcements, 1); // the program change, announced to the face
    EXPECT_EQ(selectedProgramIndex(*instance), 13);
    const std::vector<float> got = render(4000);

    CorePtr core = makeCore();
    selectProgram(*core, 15, true);
    noteOn(*core, 60);
    noteOn(*core, 64);
    core->cutoffCoef = instance->core.cutoffCoef; // the wheel's coefficient, computed by the shell
    core->bendRatio = instance->core.bendRatio;
    noteOff(*core, 60);
    std::vector<float> expected(4000), right(4000);
    renderBlock(*core, expected.data(), right.data(), 4000, 44100.0);
    for (float& sample : expected)
        sample = sample * 0.85f;
    EXPECT_EQ(got, expected);
}

// What the host and the panel read changes at once; the core follows at the
// next block. A select announces itself only when the host did not ask.
TEST_F(InstrumentTest, SettingsShowAtOnceAndSelectsAnnounceWhenTheHostDidNotAsk) {
    selectProgramIndex(*instance, 31, SelectSource::host);       // program 37
    storeParameter(*instance, kParamVolume, 2.0f);               // clamped
    storeParameter(*instance, kParamCutoff, NAN);                // ignored
    storeParameter(*instance, 7, 1.0f);                          // no such parameter
    selectProgramIndex(*instance, 32, SelectSource::instrument); // no such program
    const PanelState shown = readPanelState(*instance);
    EXPECT_EQ(shown.currentProgramIndex, 31);
    EXPECT_EQ(shown.programTens, 3);
    EXPECT_EQ(shown.programUnits, 7);
    EXPECT_EQ(shown.unisonOn, switchesOfProgram(instance->core, 37).unisonOn);
    EXPECT_EQ(readParameter(*instance, kParamVolume), 1.0f);
    EXPECT_EQ(announcements, 0);
    render(0);
    EXPECT_EQ(instance->core.currentProgram, 37);
    EXPECT_EQ(instance->volume, 1.0f);
    selectProgramIndex(*instance, 0, SelectSource::instrument);
    EXPECT_EQ(announcements, 1);
}

} // namespace
} // namespace t815::test
