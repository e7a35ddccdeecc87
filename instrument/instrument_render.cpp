// The render call every face's audio callback makes: it takes the core for
// the block (applying every queued change), renders through the rate
// converter and scales by the volume.
#include "instrument_render.h"

#include "hand_off.h"
#include "plugin_instance.h"
#include "rate_converter.h"

namespace t815 {

void renderInstrumentBlock(PluginInstance& instance, float* left, float* right,
                           std::int32_t frames) {
    if (!takeCoreForBlock(instance, frames)) {
        // A host thread is applying a backlog of changes: this block is
        // silence, and the core goes on from where it was at the next one.
        for (std::int32_t i = 0; i < frames; ++i) {
            left[i] = 0.0f;
            if (right) right[i] = 0.0f;
        }
        return;
    }
    renderBlock(instance.core, left, right, frames, instance.sampleRate);
    const float gain = instance.volume;
    for (std::int32_t i = 0; i < frames; ++i) {
        left[i] = left[i] * gain;
        if (right) right[i] = right[i] * gain;
    }
    releaseCore(instance);
}

} // namespace t815
