// The audio callback against the core rendered directly: the volume is the
// only thing the shell adds; both channels carry the same samples; null and
// empty buffers; the deprecated entry replaces; sample rates, the
// non-finite ones included.
#include "core_fixture.h"
#include "key_slots.h"
#include "plugin_host_fixture.h"
#include "rate_converter.h"

#include <cmath>
#include <limits>

namespace t815::test {
namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 8;

// The core as the plug-in builds it (cutoff coefficient 0.95), with key 60
// and 67 down, rendered at a host rate in blocks of kBlock.
std::vector<float> coreReference(double hostRate, int blocks = kBlocks) {
    CorePtr core = makeCore();
    if (!core) return {};
    core->cutoffCoef = 0.95f;
    noteOn(*core, 60);
    noteOn(*core, 67);
    std::vector<float> out(static_cast<std::size_t>(kBlock) * blocks);
    for (int b = 0; b < blocks; ++b)
        renderBlock(*core, out.data() + b * kBlock, nullptr, kBlock, hostRate);
    return out;
}

class AudioTest : public PluginTest {
  protected:
    // Another instance with the chord down, for comparing two ways of
    // calling the plug-in.
    static AEffect* openWithChord(float volume = 0.85f, float rate = 44100.0f) {
        AEffect* other = pluginEntry()(nullptr);
        if (!other) return nullptr;
        other->setParameter(other, kParamVolume, volume);
        other->dispatcher(other, effSetSampleRate, 0, 0, nullptr, rate);
        VstMidiEvent chord[2] = {midiEvent(0x90, 60, 100), midiEvent(0x90, 67, 100)};
        EventList list;
        other->dispatcher(other, effProcessEvents, 0, 0,
                          list.build({reinterpret_cast<VstEvent*>(&chord[0]),
                                      reinterpret_cast<VstEvent*>(&chord[1])}),
                          0.0f);
        return other;
    }
    void playChord() { sendMidi({midiEvent(0x90, 60, 100), midiEvent(0x90, 67, 100)}); }

    Stereo renderBlocks(int blocks = kBlocks) {
        Stereo all;
        for (int b = 0; b < blocks; ++b) {
            Stereo one = render(kBlock);
            all.left.insert(all.left.end(), one.left.begin(), one.left.end());
            all.right.insert(all.right.end(), one.right.begin(), one.right.end());
        }
        return all;
    }
};

TEST_F(AudioTest, VolumeOnePassesTheCoreSamplesUnchanged) {
    effect->setParameter(effect, kParamVolume, 1.0f);
    playChord();
    const Stereo out = renderBlocks();
    const std::vector<float> expected = coreReference(44100.0);
    ASSERT_FALSE(allZero(expected));
    EXPECT_TRUE(bitsEqual(out.left, expected));
    EXPECT_TRUE(bitsEqual(out.right, expected));
}

TEST_F(AudioTest, EverySampleIsScaledByTheVolume) {
    for (float volume : {0.85f, 0.3f, 0.0f}) {
        AEffect* fresh = openWithChord(volume);
        ASSERT_NE(fresh, nullptr);
        std::vector<float> expected = coreReference(44100.0, 2);
        for (float& s : expected)
            s = s * volume;
        Stereo out = renderOn(fresh, kBlock);
        const Stereo second = renderOn(fresh, kBlock);
        out.left.insert(out.left.end(), second.left.begin(), second.left.end());
        out.right.insert(out.right.end(), second.right.begin(), second.right.end());
        EXPECT_TRUE(bitsEqual(out.left, expected)) << volume;
        EXPECT_TRUE(bitsEqual(out.right, expected)) << volume;
        if (volume == 0.0f) {
            EXPECT_TRUE(allZero(out.left) && allZero(out.right));
        }
        fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
    }
}

TEST_F(AudioTest, SilentWithoutNotes) {
    const Stereo out = renderBlocks(2);
    EXPECT_TRUE(allZero(out.left));
    EXPECT_TRUE(allZero(out.right));
}

TEST_F(AudioTest, NullRightBufferGivesTheSameLeftBuffer) {
    AEffect* twin = openWithChord();
    ASSERT_NE(twin, nullptr);
    playChord();
    for (int b = 0; b < 4; ++b) {
        const Stereo both = render(kBlock);
        std::vector<float> leftOnly(kBlock);
        float* outputs[2] = {leftOnly.data(), nullptr};
        twin->processReplacing(twin, nullptr, outputs, kBlock);
        EXPECT_TRUE(bitsEqual(both.left, leftOnly)) << b;
        EXPECT_TRUE(bitsEqual(both.left, both.right)) << b;
    }
    twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);
}

// Buffers the plug-in must not write: a block with no frames, a missing left
// buffer or a missing array. None of them advances the core either.
TEST_F(AudioTest, EmptyOrMissingBuffersAreLeftAloneAndRenderNothing) {
    playChord();
    const std::vector<float> expected = coreReference(44100.0, 2);
    std::vector<float> left(kBlock, 7.0f), right(kBlock, 9.0f);
    float* outputs[2] = {left.data(), right.data()};
    for (VstInt32 frames : {0, -1, -kBlock, std::numeric_limits<VstInt32>::min()}) {
        effect->processReplacing(effect, nullptr, outputs, frames);
        effect->process(effect, nullptr, outputs, frames);
    }
    float* noLeft[2] = {nullptr, right.data()};
    effect->processReplacing(effect, nullptr, noLeft, kBlock);
    effect->process(effect, nullptr, noLeft, kBlock);
    effect->processReplacing(effect, nullptr, nullptr, kBlock);
    effect->process(effect, nullptr, nullptr, kBlock);
    for (int i = 0; i < kBlock; ++i) {
        ASSERT_EQ(left[i], 7.0f);
        ASSERT_EQ(right[i], 9.0f);
    }
    effect->setParameter(effect, kParamVolume, 1.0f);
    const Stereo out = renderBlocks(2);
    EXPECT_TRUE(bitsEqual(out.left, expected));
}

TEST_F(AudioTest, DeprecatedProcessReplacesInsteadOfAdding) {
    AEffect* twin = openWithChord();
    ASSERT_NE(twin, nullptr);
    playChord();
    for (int b = 0; b < 3; ++b) {
        const Stereo replaced = render(kBlock);
        std::vector<float> left(kBlock, 0.5f), right(kBlock, -0.25f);
        float* outputs[2] = {left.data(), right.data()};
        twin->process(twin, nullptr, outputs, kBlock);
        EXPECT_TRUE(bitsEqual(replaced.left, left)) << b;
        EXPECT_TRUE(bitsEqual(replaced.right, right)) << b;
    }
    twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(AudioTest, BlockSizeDoesNotChangeTheSignal) {
    effect->setParameter(effect, kParamVolume, 1.0f);
    playChord();
    std::vector<float> pieced;
    const int sizes[] = {1, 7, 64, 128, 300, 3596}; // 4096 frames in all
    for (int size : sizes) {
        const Stereo one = render(size);
        pieced.insert(pieced.end(), one.left.begin(), one.left.end());
    }
    EXPECT_TRUE(bitsEqual(pieced, coreReference(44100.0)));
}

TEST_F(AudioTest, TheNextBlockRendersAtTheNewSampleRate) {
    effect->setParameter(effect, kParamVolume, 1.0f);
    playChord();
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_TRUE(bitsEqual(renderBlocks().left, coreReference(48000.0)));
}

TEST_F(AudioTest, AbsurdRatesRenderAs44100AndRealOnesAsThemselves) {
    for (float rate : {1000.0f, 8000.0f}) {
        AEffect* fresh = openWithChord(1.0f, rate);
        ASSERT_NE(fresh, nullptr);
        EXPECT_TRUE(bitsEqual(renderOn(fresh, kBlock).left, coreReference(rate, 1))) << rate;
        fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
    }
    const std::vector<float> expected = coreReference(44100.0);
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate :
         {0.0f, -0.0f, -48000.0f, 0.5f, 1.0f, 10.0f, 999.0f, std::nanf(""), inf, -inf}) {
        AEffect* fresh = openWithChord(1.0f, rate);
        ASSERT_NE(fresh, nullptr);
        std::vector<float> out;
        for (int b = 0; b < kBlocks; ++b) {
            const Stereo one = renderOn(fresh, kBlock);
            out.insert(out.end(), one.left.begin(), one.left.end());
        }
        EXPECT_TRUE(bitsEqual(out, expected)) << rate;
        fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
    }
}

} // namespace
} // namespace t815::test
