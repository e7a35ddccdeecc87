// Construction and destruction of a plug-in instance: the core is built
// first (ROM unpacked, program 00 selected), then the host-side defaults,
// then the AEffect record, then the cutoff coefficient.
#include "plugin_instance.h"

#include "audio_callback.h"
#include "cutoff.h"
#include "dispatcher.h"
#include "editor_link.h"
#include "parameters.h"
#include "plugin_facts.h"

#include <cstring>
#include <new>

namespace t815 {

namespace {

VstInt32 pluginFlags() {
    VstInt32 flags = effFlagsCanReplacing | effFlagsIsSynth; // no program chunks
    if (kPluginHasEditor) flags |= effFlagsHasEditor;
    return flags;
}

void setHostSideDefaults(PluginInstance& instance) {
    instance.sampleRate = kDefaultSampleRate;
    instance.currentProgramIndex = 0; // program 00, just selected by the core
    instance.volume = kDefaultVolume;
    instance.cutoffParam = kDefaultCutoffParam;
    instance.modWheel = 0.0f;
    instance.programTens = 0;
    instance.programUnits = 0;
    instance.editorWindow = nullptr;
    instance.panelRepaintDue = false;
    instance.mouseHeldKey = -1;
    instance.dragControl = 0;
    instance.dragStartY = 0;
    instance.dragStartValue = 0.0f;
    instance.resetButtonDown = false;
    instance.aboutVisible = false;
    instance.coreBusy = false;
    instance.blocksTaken = 0;
    instance.stalledAtBlock = ~0u;
    instance.audioThread = 0;
    instance.heldKeys[0] = instance.heldKeys[1] = 0;

    // The host's view starts equal to the core's.
    const SynthCore& core = instance.core;
    HostSettings& settings = instance.hostSettings;
    storeInitial(settings.currentProgramIndex, 0);
    storeInitial(settings.programTens, 0);
    storeInitial(settings.programUnits, 0);
    storeInitial(settings.unisonOn, core.unisonOn);
    storeInitial(settings.filterOn, core.filterOn);
    storeInitial(settings.cutoffParam, bitsOf(kDefaultCutoffParam));
    storeInitial(settings.resonance, bitsOf(core.resonance));
    storeInitial(settings.volume, bitsOf(kDefaultVolume));
    storeInitial(settings.modWheel, bitsOf(0.0f));
    storeInitial(settings.pitchOffset, static_cast<std::uint32_t>(core.pitchOffset));
}

void fillEffectRecord(PluginInstance& instance) {
    AEffect& effect = instance.effect;
    std::memset(&effect, 0, sizeof effect);
    effect.ioRatio = 1.0f;
    instance.editorRect = {0, 0, static_cast<VstInt16>(kEditorHeight),
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
    effect.object = &instance;
    effect.uniqueID = kPluginUniqueId;
    effect.version = kPluginVersion;
    effect.processReplacing = processReplacing;
    effect.processDoubleReplacing = nullptr;
}

} // namespace

PluginInstance* createPluginInstance(audioMasterCallback hostCallback) noexcept {
    PluginInstance* instance = new (std::nothrow) PluginInstance();
    if (!instance) return nullptr;
    instance->hostCallback = hostCallback;
    bool built = false;
    try {
        built = constructCore(instance->core);
    } catch (...) { // constructCore reports running out of memory by false
        teardownCore(instance->core);
    }
    if (!built) {
        delete instance;
        return nullptr;
    }
    setHostSideDefaults(*instance);
    fillEffectRecord(*instance);
    updateCutoffCoefficient(*instance); // 0.95 with the defaults
    return instance;
}

void destroyPluginInstance(PluginInstance* instance) noexcept {
    closeEditor(*instance);
    teardownCore(instance->core);
    delete instance;
}

} // namespace t815
