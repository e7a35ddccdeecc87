// The host's parameter entries: values 0..1 stored and read through the
// instrument's parameters (clamped, NaN ignored); every write asks the panel
// to repaint, stored or not.
#include "parameter_entries.h"

#include "parameters.h"
#include "vst2_plugin.h"

namespace t815 {

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
    PluginInstance* instance = instanceOf(effect);
    if (!instance) return;
    storeParameter(*instance, index, value);
    requestRepaint(*instance);
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    PluginInstance* instance = instanceOf(effect);
    return instance ? readParameter(*instance, index) : 0.0f;
}

} // namespace t815
