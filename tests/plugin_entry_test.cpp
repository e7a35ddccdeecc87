// The library's entry point and the record it hands out: both exported
// names, the record's values, a fresh instance's defaults, independence of
// instances, and records whose object is null.
#include "plugin_host_fixture.h"

#include <cmath>

namespace t815::test {
namespace {

TEST(PluginEntryPoint, BothExportedNamesAreTheSameFunction) {
    PluginEntryProc primary = pluginEntry("VSTPluginMain");
    PluginEntryProc legacy = pluginEntry("main");
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(primary), reinterpret_cast<void*>(legacy));
}

TEST(PluginEntryPoint, NullHostCallbackGivesAWorkingInstanceThatNeverCallsTheHost) {
    AEffect* effect = pluginEntry()(nullptr);
    ASSERT_NE(effect, nullptr);
    VstMidiEvent change = midiEvent(0xC0, 31, 0);
    EventList list;
    EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0,
                                 list.build({reinterpret_cast<VstEvent*>(&change)}), 0.0f),
              1);
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f), 31);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(PluginTest, RecordCarriesTheIdentityAndLayout) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->flags, kPluginHasEditor ? 0x111 : 0x110);
    EXPECT_EQ(effect->uniqueID, kPluginUniqueId);
    const auto id = static_cast<std::uint32_t>(effect->uniqueID);
    const char idChars[] = {char(id >> 24), char(id >> 16), char(id >> 8), char(id), 0};
    EXPECT_STREQ(idChars, "T815");
    EXPECT_EQ(effect->version, 1000);
    EXPECT_EQ(effect->numPrograms, 32);
    EXPECT_EQ(effect->numParams, 5);
    EXPECT_EQ(effect->numInputs, 0);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->object, &instance());
    EXPECT_EQ(static_cast<void*>(effect), static_cast<void*>(&vst2PluginOf(instance())));
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_EQ(effect->processDoubleReplacing, nullptr);
    for (char c : effect->future)
        EXPECT_EQ(c, 0);
}

TEST_F(PluginTest, FreshInstanceHasItsDefaults) {
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(programName(), "00 El. Piano");
    EXPECT_EQ(effect->getParameter(effect, kParamCutoff),
              static_cast<float>((double(0.95f) - double(0.05f)) / double(0.94f)));
    EXPECT_NEAR(effect->getParameter(effect, kParamCutoff), 0.9574468f, 1e-7f);
    EXPECT_EQ(effect->getParameter(effect, kParamVolume), 0.85f);
    EXPECT_EQ(effect->getParameter(effect, kParamFilter), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, kParamUnison), 1.0f); // program 00 has two oscillators

    PluginInstance& plugin = instance();
    EXPECT_EQ(vst2PluginOf(plugin).hostCallback, &recordingHost);
    EXPECT_EQ(plugin.sampleRate, 44100.0);
    EXPECT_EQ(plugin.currentProgramIndex, 0);
    EXPECT_EQ(plugin.volume, 0.85f);
    EXPECT_EQ(plugin.cutoffParam, 0.95f);
    EXPECT_EQ(plugin.modWheel, 0.0f);
    EXPECT_EQ(plugin.core.cutoffCoef, 0.95f); // the shell's update replaced the core's 0.99
    EXPECT_EQ(plugin.core.resonance, 0.8f);
    EXPECT_EQ(plugin.core.currentProgram, 0);
    EXPECT_TRUE(plugin.core.romReady);
    EXPECT_EQ(vst2PluginOf(plugin).editorRect.top, 0);
    EXPECT_EQ(vst2PluginOf(plugin).editorRect.left, 0);
    EXPECT_EQ(vst2PluginOf(plugin).editorRect.bottom, 430);
    EXPECT_EQ(vst2PluginOf(plugin).editorRect.right, 920);
    EXPECT_EQ(plugin.editorWindow.load(), nullptr);
    EXPECT_EQ(plugin.programTens, 0);
    EXPECT_EQ(plugin.programUnits, 0);
    EXPECT_EQ(plugin.mouseHeldKey, -1);
    EXPECT_EQ(plugin.dragControl, 0);
    EXPECT_EQ(plugin.dragStartY, 0);
    EXPECT_EQ(plugin.dragStartValue, 0.0f);
    EXPECT_FALSE(plugin.resetButtonDown);
    EXPECT_FALSE(plugin.aboutVisible);
    EXPECT_EQ(hostRecord.calls, 0); // construction never calls the host
}

TEST_F(PluginTest, InstancesShareNothing) {
    AEffect* other = pluginEntry()(recordingHost);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, effect);
    dispatch(effSetProgram, 0, 7);
    effect->setParameter(effect, kParamVolume, 0.25f);
    noteOn(60);
    EXPECT_EQ(other->dispatcher(other, effGetProgram, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(other->getParameter(other, kParamVolume), 0.85f);
    EXPECT_TRUE(allZero(renderOn(other, 256).left));
    EXPECT_FALSE(allZero(render(256).left));
    EXPECT_EQ(other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(dispatch(effGetProgram), 7); // closing one leaves the other alive
}

TEST_F(PluginTest, RecordWithNullObjectIsIgnoredByEveryEntry) {
    AEffect orphan = *effect;
    orphan.object = nullptr;
    GuardedText text;
    for (VstInt32 opcode = -1; opcode <= 80; ++opcode)
        EXPECT_EQ(orphan.dispatcher(&orphan, opcode, 0, 0, text.text(), 44100.0f), 0) << opcode;
    EXPECT_EQ(text.bytesWritten(), 0);

    orphan.setParameter(&orphan, kParamVolume, 0.0f);
    for (VstInt32 index = -1; index <= 5; ++index)
        EXPECT_EQ(orphan.getParameter(&orphan, index), 0.0f);

    float left[4] = {5, 5, 5, 5}, right[4] = {6, 6, 6, 6};
    float* outputs[2] = {left, right};
    orphan.processReplacing(&orphan, nullptr, outputs, 4);
    orphan.process(&orphan, nullptr, outputs, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(left[i], 5.0f);
        EXPECT_EQ(right[i], 6.0f);
    }
    // The real instance saw none of it and is still there.
    EXPECT_EQ(effect->getParameter(effect, kParamVolume), 0.85f);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(hostRecord.calls, 0);
}

} // namespace
} // namespace t815::test
