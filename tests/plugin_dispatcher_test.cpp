// The dispatcher's answers and the exact bytes it writes into host buffers:
// program names fill exactly 24 bytes, identity strings and parameter texts
// end at their zero, out-of-range and null requests write nothing.
#include "panel_snapshot.h"
#include "plugin_host_fixture.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace t815::test {
namespace {

const char* const kEnglishNames[32] = {
    "00 El. Piano",   "01 Jazz Piano", "02 F. Piano",    "03 Piano",       "04 Harmonika",
    "05 Accordion",   "06 Organ",      "07 Pipe Organ",  "10 Jazz Organ",  "11 F. Organ",
    "12 Hammond 1",   "13 Hammond 2",  "14 Synth Organ", "15 Brass Organ", "16 Brass",
    "17 French Horn", "20 Flute",      "21 Piccolo",     "22 Clarinet",    "23 Oboe",
    "24 Cosmic",      "25 Fantastic",  "26 Slap Synth",  "27 Blues Synth", "30 Harpsichord",
    "31 Clavinet",    "32 Harpsi",     "33 El. Bass",    "34 Jazz Bass",   "35 Bass",
    "36 Music Box",   "37 Synth Bass"};

// The name followed by zeros up to exactly 24 bytes, and nothing after.
void expectProgramName(GuardedText& text, const char* name) {
    const std::size_t length = std::strlen(name);
    EXPECT_EQ(std::memcmp(text.text(), name, length), 0) << name;
    for (int i = static_cast<int>(length); i < kProgramNameBytes; ++i)
        EXPECT_EQ(text.text()[i], 0) << name << " byte " << i;
    EXPECT_EQ(static_cast<std::uint8_t>(text.text()[kProgramNameBytes]), GuardedText::kGuardByte)
        << name;
}

TEST_F(PluginTest, IndexedProgramNamesFillExactly24Bytes) {
    for (int index = 0; index < 32; ++index) {
        GuardedText text;
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, index, 0, text.text()), 1);
        expectProgramName(text, kEnglishNames[index]);
    }
    GuardedText jazzOrgan;
    dispatch(effGetProgramNameIndexed, 8, 0, jazzOrgan.text());
    EXPECT_STREQ(jazzOrgan.text(), "10 Jazz Organ");
}

TEST_F(PluginTest, IndexedProgramNameOutOfRangeOrNullAnswersZeroAndWritesNothing) {
    for (VstInt32 index : {32, 33, -1, std::numeric_limits<VstInt32>::min()}) {
        GuardedText text;
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, index, 0, text.text()), 0) << index;
        EXPECT_EQ(text.bytesWritten(), 0) << index;
    }
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, CurrentProgramNameFollowsEffSetProgram) {
    GuardedText first;
    EXPECT_EQ(dispatch(effGetProgramName, 0, 0, first.text()), 1);
    expectProgramName(first, "00 El. Piano");

    EXPECT_EQ(dispatch(effSetProgram, 0, 5), 1);
    EXPECT_EQ(dispatch(effGetProgram), 5);
    GuardedText fifth;
    dispatch(effGetProgramName, 0, 0, fifth.text());
    expectProgramName(fifth, "05 Accordion");
    EXPECT_EQ(dispatch(effGetProgramName, 0, 0, nullptr), 1);
}

TEST_F(PluginTest, EffSetProgramIgnoresIndexesOutOfRange) {
    dispatch(effSetProgram, 0, 3);
    std::vector<VstIntPtr> rejected = {-1, 32, 1000};
    if (sizeof(VstIntPtr) == 8) rejected.push_back(static_cast<VstIntPtr>(0x100000005LL));
    for (VstIntPtr value : rejected) {
        EXPECT_EQ(dispatch(effSetProgram, 0, value), 1) << value;
        EXPECT_EQ(dispatch(effGetProgram), 3) << value;
    }
    EXPECT_EQ(dispatch(effSetProgram, 31, 0), 1); // the index argument is not the program
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(hostRecord.calls, 0); // effSetProgram never notifies the host
}

TEST_F(PluginTest, IdentityStringsEndAtTheirZero) {
    struct Case {
        VstInt32 opcode;
        const char* expected;
    };
    for (Case c :
         {Case{effGetEffectName, "Veltrano T-815"}, Case{effGetProductString, "Veltrano T-815"},
          Case{effGetVendorString, "Gravlon / VST Port"}}) {
        GuardedText text;
        EXPECT_EQ(dispatch(c.opcode, 0, 0, text.text()), 1);
        EXPECT_STREQ(text.text(), c.expected);
        EXPECT_EQ(text.bytesWritten(), static_cast<int>(std::strlen(c.expected)) + 1) << c.opcode;
        EXPECT_EQ(dispatch(c.opcode, 0, 0, nullptr), 1);
    }
}

TEST_F(PluginTest, ParameterNamesAreWrittenWholeAndOnlyForIndexes0To4) {
    const char* names[5] = {"Unison", "Filter", "Cutoff", "Resonance", "Volume"};
    for (int index = 0; index < 5; ++index) {
        GuardedText text;
        EXPECT_EQ(dispatch(effGetParamName, index, 0, text.text()), 1);
        EXPECT_STREQ(text.text(), names[index]);
        EXPECT_EQ(text.bytesWritten(), static_cast<int>(std::strlen(names[index])) + 1);
    }
    for (VstInt32 index : {5, -1, 1 << 30}) {
        GuardedText name, display;
        EXPECT_EQ(dispatch(effGetParamName, index, 0, name.text()), 1);
        EXPECT_EQ(dispatch(effGetParamDisplay, index, 0, display.text()), 1);
        EXPECT_EQ(name.bytesWritten(), 0);
        EXPECT_EQ(display.bytesWritten(), 0);
    }
    EXPECT_EQ(dispatch(effGetParamName, 0, 0, nullptr), 1);
    EXPECT_EQ(dispatch(effGetParamDisplay, 0, 0, nullptr), 1);
}

TEST_F(PluginTest, CanDoAnswersOnlyTheTwoEventAbilities) {
    auto canDo = [&](const char* ability) {
        return dispatch(effCanDo, 0, 0, const_cast<char*>(ability));
    };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    for (const char* other : {"", "receiveVst", "receiveVstMidiEvents", "ReceiveVstEvents",
                              "sendVstMidiEvent", "receiveVstEvents "})
        EXPECT_EQ(canDo(other), 0) << '"' << other << '"';
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, CategoryIsSynth) {
    EXPECT_EQ(dispatch(effGetPlugCategory), 2);
}

TEST_F(PluginTest, UnhandledOpcodesAnswerZeroAndTouchNothing) {
    const VstInt32 handled[] = {1, 2, 3, 5, 7, 8, 10, 13, 14, 15, 25, 29, 35, 45, 47, 48, 51};
    for (VstInt32 opcode = -5; opcode <= 100; ++opcode) {
        if (std::find(std::begin(handled), std::end(handled), opcode) != std::end(handled))
            continue;
        GuardedText text;
        EXPECT_EQ(dispatch(opcode, 3, 3, text.text(), 3.0f), 0) << opcode;
        EXPECT_EQ(text.bytesWritten(), 0) << opcode;
    }
    EXPECT_EQ(dispatch(effGetVstVersion), 0);
    EXPECT_EQ(dispatch(effGetTailSize), 0);
    EXPECT_EQ(dispatch(1000), 0);
    // Suspend, resume and block size change nothing.
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(instance().sampleRate, 44100.0);
    EXPECT_EQ(effect->getParameter(effect, kParamVolume), 0.85f);
}

TEST_F(PluginTest, EditorOpcodesMatchWhetherThePluginHasAnEditor) {
    ERect* rect = reinterpret_cast<ERect*>(0x1234);
    if (kPluginHasEditor) {
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0);
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(rect, &vst2PluginOf(instance()).editorRect);
        EXPECT_EQ(rect->right - rect->left, 920);
        EXPECT_EQ(rect->bottom - rect->top, 430);
        ERect* again = nullptr;
        dispatch(effEditGetRect, 0, 0, &again);
        EXPECT_EQ(again, rect);
        EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
        int notAWindow = 0; // no window can be made in it: no panel to show
        EXPECT_EQ(dispatch(effEditOpen, 0, 0, &notAWindow), 0);
        EXPECT_EQ(dispatch(effEditClose), 1);
        EXPECT_EQ(dispatch(effEditClose), 1); // closing a closed editor is harmless
    } else {
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect, reinterpret_cast<ERect*>(0x1234));
        int parent = 0;
        EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 0);
        EXPECT_EQ(dispatch(effEditClose), 0);
    }
    EXPECT_EQ(instance().editorWindow.load(), nullptr);
}

// The host's scale ('PreS', 'AeCs', the factor in opt) before the editor
// opens: taken or refused, and the one rectangle follows it.
TEST_F(PluginTest, TheHostsEditorScaleSizesTheEditorRectangle) {
    if (!kPluginHasEditor) GTEST_SKIP() << "no editor";
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    const ERect* const first = rect;
    const struct {
        VstIntPtr value;
        float factor;
        VstIntPtr answer;
        int width, height; // of the rectangle afterwards
    } cases[] = {
        {kEditorScaleValue, 2.0f, 1, 1840, 860},
        {kEditorScaleValue, 1.3f, 1, 1150, 538}, // the nearest quarter step: 1.25
        {kEditorScaleValue, NAN, 0, 1150, 538},
        {kEditorScaleValue, INFINITY, 0, 1150, 538},
        {kEditorScaleValue, 0.0f, 0, 1150, 538},
        {kEditorScaleValue, -2.0f, 0, 1150, 538},
        {0, 3.0f, 0, 1150, 538}, // not the scale message
        {kEditorScaleValue, 9.0f, 1, 3680, 1720},
        {kEditorScaleValue, 0.5f, 1, 920, 430},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dispatch(effVendorSpecific, kEditorScaleIndex, c.value, nullptr, c.factor),
                  c.answer)
            << c.factor;
        ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect, first);
        EXPECT_EQ(rect->right - rect->left, c.width) << c.factor;
        EXPECT_EQ(rect->bottom - rect->top, c.height) << c.factor;
    }
    EXPECT_EQ(hostRecord.sizeWindowCalls, 0); // no panel open, nothing to resize
}

TEST_F(PluginTest, SampleRateIsStoredWidened) {
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 1);
    EXPECT_EQ(instance().sampleRate, 48000.0);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.7f);
    EXPECT_EQ(instance().sampleRate, static_cast<double>(44100.7f));
    dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    EXPECT_TRUE(std::isnan(instance().sampleRate)); // stored as given; rendering treats it as 44100
}

} // namespace
} // namespace t815::test
