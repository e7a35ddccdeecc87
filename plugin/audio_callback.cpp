// The audio callback: one block of the core's output at the host's rate,
// the same mono signal in both channels, scaled by the volume. It runs on
// the host's audio thread and holds coreLock for the block, so that no note,
// program or parameter change lands halfway through it; nothing it does
// allocates.
#include "audio_callback.h"

#include "plugin_instance.h"
#include "rate_converter.h"

#include <mutex>

namespace t815 {

namespace {

void renderScaledBlock(PluginInstance& instance, float* left, float* right, VstInt32 frames) {
    std::lock_guard<std::mutex> lock(instance.coreLock);
    renderBlock(instance.core, left, right, frames, instance.sampleRate);
    const float gain = instance.volume;
    for (VstInt32 i = 0; i < frames; ++i) {
        left[i] = left[i] * gain;
        if (right) right[i] = right[i] * gain;
    }
}

void renderIntoOutputs(AEffect* effect, float** outputs, VstInt32 sampleFrames) {
    PluginInstance* instance = instanceOf(effect);
    // Without a left buffer there is nowhere to render: the block is skipped
    // and the core does not advance.
    if (!instance || !outputs || !outputs[0]) return;
    try {
        renderScaledBlock(*instance, outputs[0], outputs[1], sampleFrames);
    } catch (...) { // nothing may unwind into the host; only the lock could throw
    }
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
