// The audio entries: the host's output buffers handed to the instrument's
// render call, which applies every queued change first and never waits for
// another thread.
#include "audio_entries.h"

#include "instrument_render.h"
#include "vst2_plugin.h"

namespace t815 {

namespace {

void renderIntoOutputs(AEffect* effect, float** outputs, VstInt32 sampleFrames) {
    PluginInstance* instance = instanceOf(effect);
    // Without a left buffer there is nowhere to render: the block is skipped
    // and the core does not advance (queued changes wait for the next one).
    if (!instance || !outputs || !outputs[0]) return;
    renderInstrumentBlock(*instance, outputs[0], outputs[1], sampleFrames);
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
