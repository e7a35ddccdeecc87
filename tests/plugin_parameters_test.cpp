// Parameters and program select as the host sees them: value round trips,
// display texts, the switches' threshold, non-finite values, what program
// select changes and leaves alone, and when the host is told.
#include "plugin_host_fixture.h"
#include "voice_program.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace t815::test {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

class ParameterTest : public PluginTest {
  protected:
    void set(int index, float value) { effect->setParameter(effect, index, value); }
    float get(int index) { return effect->getParameter(effect, index); }
};

TEST_F(ParameterTest, DefaultsDisplayAsStored) {
    EXPECT_EQ(parameterDisplay(kParamCutoff), "0.95");
    EXPECT_EQ(parameterDisplay(kParamResonance), "0.80");
    EXPECT_EQ(parameterDisplay(kParamVolume), "85%");
    EXPECT_EQ(parameterDisplay(kParamUnison), "ON");
    EXPECT_EQ(parameterDisplay(kParamFilter), "ON");
}

TEST_F(ParameterTest, CutoffMapsOntoPoint05ToPoint99) {
    set(kParamCutoff, 0.0f);
    EXPECT_EQ(instance().cutoffParam, 0.05f);
    EXPECT_EQ(parameterDisplay(kParamCutoff), "0.05");
    EXPECT_NEAR(get(kParamCutoff), 0.0f, 1e-7f);
    EXPECT_EQ(instance().core.cutoffCoef, 0.05f);

    set(kParamCutoff, 1.0f);
    EXPECT_EQ(instance().cutoffParam, static_cast<float>(double(0.94f) + double(0.05f)));
    EXPECT_EQ(parameterDisplay(kParamCutoff), "0.99");
    EXPECT_NEAR(get(kParamCutoff), 1.0f, 1e-7f);
    EXPECT_EQ(instance().core.cutoffCoef, 0.99f);

    set(kParamCutoff, 0.5f);
    EXPECT_NEAR(get(kParamCutoff), 0.5f, 1e-7f);
    EXPECT_EQ(instance().core.cutoffCoef, instance().cutoffParam);
}

TEST_F(ParameterTest, ResonanceAndVolumeRoundTrip) {
    set(kParamResonance, 1.0f);
    EXPECT_EQ(instance().core.resonance, 0.95f);
    EXPECT_EQ(parameterDisplay(kParamResonance), "0.95");
    EXPECT_EQ(get(kParamResonance), 1.0f);
    set(kParamResonance, 0.0f);
    EXPECT_EQ(parameterDisplay(kParamResonance), "0.00");

    set(kParamVolume, 1.0f);
    EXPECT_EQ(parameterDisplay(kParamVolume), "100%");
    set(kParamVolume, 0.0f);
    EXPECT_EQ(parameterDisplay(kParamVolume), "0%");
}

TEST_F(ParameterTest, SwitchesTurnOnAtOneHalf) {
    for (int index : {kParamUnison, kParamFilter}) {
        set(index, 0.49999f);
        EXPECT_EQ(get(index), 0.0f);
        EXPECT_EQ(parameterDisplay(index), "OFF");
        set(index, 0.5f);
        EXPECT_EQ(get(index), 1.0f);
        EXPECT_EQ(parameterDisplay(index), "ON");
        set(index, -3.0f);
        EXPECT_EQ(get(index), 0.0f);
        set(index, 7.0f);
        EXPECT_EQ(get(index), 1.0f);
    }
}

TEST_F(ParameterTest, UnisonSilencesOrRestartsTheSecondOscillatorsAtOnce) {
    noteOn(60);
    ASSERT_NE(instance().core.oscPitch[1], 0);
    set(kParamUnison, 0.0f);
    EXPECT_EQ(instance().core.oscPitch[1], 0);
    EXPECT_NE(instance().core.oscPitch[0], 0);
    set(kParamUnison, 1.0f);
    EXPECT_NE(instance().core.oscPitch[1], 0);
}

TEST_F(ParameterTest, IndexesOutsideZeroToFourStoreNothingAndReadZero) {
    for (VstInt32 index : {5, -1, 1000}) {
        set(index, 0.0f);
        EXPECT_EQ(get(index), 0.0f);
    }
    EXPECT_EQ(get(kParamVolume), 0.85f);
    EXPECT_EQ(instance().cutoffParam, 0.95f);
    EXPECT_EQ(instance().core.resonance, 0.8f);
    EXPECT_EQ(get(kParamUnison), 1.0f);
    EXPECT_EQ(get(kParamFilter), 1.0f);
}

TEST_F(ParameterTest, NaNLeavesCutoffResonanceAndVolumeAlone) {
    set(kParamCutoff, 0.25f);
    set(kParamResonance, 0.5f);
    set(kParamVolume, 0.75f);
    const float cutoff = instance().cutoffParam, coef = instance().core.cutoffCoef;
    for (float bad : {std::nanf(""), -std::nanf("")}) {
        for (int index : {kParamCutoff, kParamResonance, kParamVolume})
            set(index, bad);
        EXPECT_EQ(instance().cutoffParam, cutoff);
        EXPECT_EQ(instance().core.cutoffCoef, coef);
        EXPECT_EQ(instance().core.resonance, static_cast<float>(0.5 * double(0.95f)));
        EXPECT_EQ(instance().volume, 0.75f);
    }
    EXPECT_EQ(parameterDisplay(kParamVolume), "75%");
}

// Values outside 0..1 are clamped where they are written: the filter stays
// stable, the gain stays within 0..1, getParameter answers 0..1 and every
// display text fits the 8 bytes hosts allot. The instance plays on.
TEST_F(ParameterTest, OutOfRangeValuesAreClampedAndTheInstrumentPlaysOn) {
    const float limits[] = {0.0f, 1.0f};
    for (float bad : {5.0f, -5.0f, 100.0f, -100.0f, 3e38f, -3e38f, kInf, -kInf, 1e-40f, -1e-40f}) {
        for (int index : {kParamCutoff, kParamResonance, kParamVolume}) {
            set(index, bad);
            const float got = get(index);
            if (std::fabs(bad) > 1.0f) {
                EXPECT_EQ(got, limits[bad > 0.0f]) << index << " " << bad;
            }
            EXPECT_TRUE(got >= 0.0f && got <= 1.0f) << index << " " << bad;
            EXPECT_LE(parameterDisplay(index).size() + 1, 8u) << index << " " << bad;
        }
        set(kParamVolume, 1.0f);
        noteOn(60);
        const Stereo out = render(8192);
        float peak = 0.0f;
        for (float s : out.left)
            peak = std::max(peak, std::isfinite(s) ? std::fabs(s) : kInf);
        EXPECT_LE(peak, 1.0f) << bad;
        EXPECT_GT(peak, 0.0f) << bad;
        noteOff(60);
    }
    set(kParamResonance, 0.5f);
    noteOn(64);
    EXPECT_FALSE(allZero(render(4096).left));
}

TEST_F(ParameterTest, NonFiniteSwitchValuesCompareWithOneHalf) {
    for (int index : {kParamUnison, kParamFilter}) {
        set(index, 1.0f);
        set(index, std::nanf("")); // NaN is not at least 0.5: off
        EXPECT_EQ(get(index), 0.0f);
        set(index, kInf);
        EXPECT_EQ(get(index), 1.0f);
        set(index, -kInf);
        EXPECT_EQ(get(index), 0.0f);
    }
}

TEST_F(ParameterTest, ParameterWritesNeverCallTheHost) {
    for (int index = -1; index <= 5; ++index)
        set(index, 0.3f);
    EXPECT_EQ(hostRecord.calls, 0);
}

TEST_F(ParameterTest, ProgramSelectSetsUnisonFromTheProgramAndTurnsTheFilterOn) {
    int singleOscillatorPrograms = 0;
    for (int index = 0; index < 32; ++index) {
        set(kParamUnison, 1.0f);
        set(kParamFilter, 0.0f);
        dispatch(effSetProgram, 0, index);
        const int number = 10 * (index / 8) + index % 8;
        const bool single = singleOscillator(instance().core.voicePrograms[number][toneFlags]);
        singleOscillatorPrograms += single;
        EXPECT_EQ(get(kParamUnison), single ? 0.0f : 1.0f) << index;
        EXPECT_EQ(get(kParamFilter), 1.0f) << index;
        EXPECT_EQ(instance().core.currentProgram, number);
        EXPECT_EQ(instance().programTens, number / 10);
        EXPECT_EQ(instance().programUnits, number % 10);
    }
    EXPECT_GT(singleOscillatorPrograms, 0); // the loop did see both kinds
}

TEST_F(ParameterTest, ProgramSelectLeavesTheOtherSettingsAlone) {
    set(kParamCutoff, 0.3f);
    set(kParamResonance, 0.2f);
    set(kParamVolume, 0.6f);
    sendMidi({midiEvent(0xB0, 1, 64), midiEvent(0xE0, 0, 90)});
    PluginInstance& plugin = instance();
    const float cutoff = plugin.cutoffParam, coef = plugin.core.cutoffCoef;
    const float resonance = plugin.core.resonance, wheel = plugin.modWheel;
    const float bend = plugin.core.bendRatio;
    dispatch(effSetProgram, 0, 17);
    EXPECT_EQ(plugin.cutoffParam, cutoff);
    EXPECT_EQ(plugin.core.cutoffCoef, coef);
    EXPECT_EQ(plugin.core.resonance, resonance);
    EXPECT_EQ(plugin.volume, 0.6f);
    EXPECT_EQ(plugin.modWheel, wheel);
    EXPECT_EQ(plugin.core.bendRatio, bend);
    EXPECT_EQ(plugin.core.pitchOffset, 0);
}

TEST_F(ParameterTest, ProgramSelectKeepsHeldKeysAndResetsOtherwise) {
    noteOn(60);
    noteOn(64);
    noteOff(64);
    dispatch(effSetProgram, 0, 4); // 60 is held: nothing is reset
    int held = 0, released = 0;
    for (const VoiceSlot& slot : instance().core.slots) {
        held += slot.state == kSlotHeld;
        released += slot.state == kSlotReleased;
    }
    EXPECT_EQ(held, 1);
    EXPECT_EQ(released, 1);

    noteOff(60);
    dispatch(effSetProgram, 0, 4); // the same program again, no key held: all voices reset
    for (const VoiceSlot& slot : instance().core.slots)
        EXPECT_EQ(slot.state, kSlotFree);
    for (std::int32_t pitch : instance().core.oscPitch)
        EXPECT_EQ(pitch, 0);
}

TEST_F(ParameterTest, OnlyMidiProgramChangesNotifyTheHostOncePerChange) {
    dispatch(effSetProgram, 0, 9);
    dispatch(effSetProgram, 0, 9);
    EXPECT_EQ(hostRecord.calls, 0);

    sendMidi({midiEvent(0xC0, 9, 0)});
    EXPECT_EQ(hostRecord.updateDisplayCalls, 1);
    sendMidi({midiEvent(0xC3, 2, 0), midiEvent(0x90, 60, 1), midiEvent(0xCF, 31, 0)});
    EXPECT_EQ(hostRecord.updateDisplayCalls, 3);
    sendMidi({midiEvent(0xC0, 32, 0), midiEvent(0xC0, 127, 0)});
    EXPECT_EQ(hostRecord.updateDisplayCalls, 3);
    EXPECT_EQ(hostRecord.calls, 3); // nothing but the display update
    EXPECT_FALSE(hostRecord.unexpectedArguments);
    EXPECT_EQ(dispatch(effGetProgram), 31);
}

// A host that asks the plug-in for its program from inside the display
// update sees the new program, and does not deadlock doing so.
AEffect* reenteredEffect = nullptr;
VstIntPtr reenteredProgram = -1;

VstIntPtr VSTCALLBACK reenteringHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                     float) {
    if (opcode != audioMasterUpdateDisplay || !effect) return 0;
    reenteredEffect = effect;
    reenteredProgram = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
    effect->getParameter(effect, kParamCutoff);
    return 0;
}

TEST(PluginHostCallback, HostMayCallBackIntoThePluginFromTheDisplayUpdate) {
    AEffect* effect = pluginEntry()(reenteringHost);
    ASSERT_NE(effect, nullptr);
    VstMidiEvent change = midiEvent(0xC0, 12, 0);
    EventList list;
    effect->dispatcher(effect, effProcessEvents, 0, 0,
                       list.build({reinterpret_cast<VstEvent*>(&change)}), 0.0f);
    EXPECT_EQ(reenteredEffect, effect);
    EXPECT_EQ(reenteredProgram, 12);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
} // namespace t815::test
