// The VST 2.4 face of one instance: the AEffect record handed to the host,
// the host's callback and the editor rectangle, around the format-free
// instance they present. One allocation holds all of it.
#pragma once

#include "plugin_instance.h"
#include "vst2_abi.h"

namespace t815 {

struct Vst2Plugin {
    AEffect effect;                   // the record the host holds; object points at instance
    audioMasterCallback hostCallback; // may be null
    ERect editorRect;                 // handed out by effEditGetRect, the same address every call
    PluginInstance instance;
};

// Allocates and constructs the face and its instance; null when memory runs
// out, with everything built so far released again. Never throws.
Vst2Plugin* createVst2Plugin(audioMasterCallback hostCallback) noexcept;

// Closes the panel, tears down the instance and releases the record.
void destroyVst2Plugin(Vst2Plugin* plugin) noexcept;

// The instance behind a host's record; null for a null record or object.
inline PluginInstance* instanceOf(AEffect* effect) {
    return effect ? static_cast<PluginInstance*>(effect->object) : nullptr;
}

// The face behind an instance made by createVst2Plugin.
inline Vst2Plugin& vst2PluginOf(PluginInstance& instance) {
    return *static_cast<Vst2Plugin*>(instance.face.face);
}

} // namespace t815
