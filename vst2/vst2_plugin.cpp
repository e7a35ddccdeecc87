// Construction and destruction of the VST 2.4 face: the instance is built
// first, then the AEffect record is filled from the instrument's and the
// face's facts. A select made by MIDI or the panel reaches the host as
// audioMasterUpdateDisplay, a panel that resized itself as
// audioMasterSizeWindow.
#include "vst2_plugin.h"

#include "audio_entries.h"
#include "dispatcher.h"
#include "instrument_facts.h"
#include "panel_editor.h"
#include "parameter_entries.h"
#include "vst2_facts.h"

#include <cstring>
#include <new>

namespace t815 {

namespace {

VstInt32 pluginFlags() {
    VstInt32 flags = effFlagsCanReplacing | effFlagsIsSynth; // no program chunks
    if (kPluginHasEditor) flags |= effFlagsHasEditor;
    return flags;
}

void fillEffectRecord(Vst2Plugin& plugin) {
    AEffect& effect = plugin.effect;
    std::memset(&effect, 0, sizeof effect);
    effect.ioRatio = 1.0f;
    plugin.editorRect = {0, 0, static_cast<VstInt16>(kEditorHeight),
                         static_cast<VstInt16>(kEditorWidth)};
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = process;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = kPluginProgramCount;
    effect.numParams = kPluginParameterCount;
    effect.numInputs = kPluginInputCount;
    effect.numOutputs = kPluginOutputCount;
    effect.flags = pluginFlags();
    effect.object = &plugin.instance;
    effect.uniqueID = kPluginUniqueId;
    effect.version = kPluginVersion;
    effect.processReplacing = processReplacing;
    effect.processDoubleReplacing = nullptr;
}

void tellHostProgramSelected(void* face) {
    Vst2Plugin& plugin = *static_cast<Vst2Plugin*>(face);
    if (plugin.hostCallback)
        plugin.hostCallback(&plugin.effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
}

void tellHostPanelResized(void* face) {
    askHostToFollowEditor(static_cast<Vst2Plugin*>(face)->instance);
}

} // namespace

Vst2Plugin* createVst2Plugin(audioMasterCallback hostCallback) noexcept {
    Vst2Plugin* plugin = new (std::nothrow) Vst2Plugin();
    if (!plugin) return nullptr;
    plugin->hostCallback = hostCallback;
    if (!constructPluginInstance(
            plugin->instance, {plugin, tellHostProgramSelected, nullptr, tellHostPanelResized})) {
        delete plugin;
        return nullptr;
    }
    fillEffectRecord(*plugin);
    return plugin;
}

void destroyVst2Plugin(Vst2Plugin* plugin) noexcept {
    closeEditor(plugin->instance);
    teardownPluginInstance(plugin->instance);
    delete plugin;
}

} // namespace t815
