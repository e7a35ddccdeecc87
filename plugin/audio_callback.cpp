// The audio callback: one block of the core's output at the host's rate,
// the same mono signal in both channels, scaled by the volume. It runs on
// the host's audio thread, applies every queued change before the block and
// never waits for another thread (hand_off.h); nothing it does allocates.
#include "audio_callback.h"

#include "hand_off.h"
#include "plugin_instance.h"
#include "rate_converter.h"

namespace t815 {

namespace {

void renderScaledBlock(PluginInstance& instance, float* left, float* right, VstInt32 frames) {
    if (!takeCoreForBlock(instance)) {
        // A host thread is applying a backlog of changes: this block is
        // silence, and the core goes on from where it was at the next one.
        for (VstInt32 i = 0; i < frames; ++i) {
            left[i] = 0.0f;
            if (right) right[i] = 0.0f;
        }
        return;
    }
    renderBlock(instance.core, left, right, frames, instance.sampleRate);
    const float gain = instance.volume;
    for (VstInt32 i = 0; i < frames; ++i) {
        left[i] = left[i] * gain;
        if (right) right[i] = right[i] * gain;
    }
    releaseCore(instance);
}

void renderIntoOutputs(AEffect* effect, float** outputs, VstInt32 sampleFrames) {
    PluginInstance* instance = instanceOf(effect);
    // Without a left buffer there is nowhere to render: the block is skipped
    // and the core does not advance (queued changes wait for the next one).
    if (!instance || !outputs || !outputs[0]) return;
    renderScaledBlock(*instance, outputs[0], outputs[1], sampleFrames);
}

} // namespace

void VSTCALLBACK processReplacing(AEffect* effect, float**, float** outputs,
                                  VstInt32 sampleFrames) {
    renderIntoOutputs(effect, outputs, sampleFrames);
}

void VSTCALLBACK process(AEffect* effect, float**, float** outputs, VstInt32 sampleFrames) {
    renderIntoOutputs(effect, outputs, sampleFrames);
}

} // namespace t815
