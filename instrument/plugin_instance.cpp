// Construction and destruction of an instance: the core is built first (ROM
// unpacked, program 00 selected), then the host-side defaults, then the
// cutoff coefficient.
#include "plugin_instance.h"

#include "cutoff.h"
#include "host_settings.h"
#include "instrument_facts.h"

#include <chrono>
#include <new>

namespace t815 {

namespace {

void setHostSideDefaults(PluginInstance& instance) {
    instance.sampleRate = kDefaultSampleRate;
    instance.currentProgramIndex = 0; // program 00, just selected by the core
    instance.volume = kDefaultVolume;
    instance.cutoffParam = kDefaultCutoffParam;
    instance.modWheel = 0.0f;
    instance.programTens = 0;
    instance.programUnits = 0;
    instance.editorWindow = nullptr;
    instance.repaintHook = nullptr;
    instance.panelRepaintDue = false;
    instance.mouseHeldKey = -1;
    instance.dragControl = 0;
    instance.dragStartY = 0;
    instance.dragStartValue = 0.0f;
    instance.resetButtonDown = false;
    instance.aboutVisible = false;
    instance.hostScaleQuarters = 0;
    instance.openScaleQuarters = 4;
    instance.coreBusy = false;
    instance.blocksTaken = 0;
    instance.stalledAtBlock = ~0u;
    instance.audioThread = 0;
    // Changes made right after construction wait for the first block, as
    // the host is about to start audio; kAudioAbsentAfter later they no
    // longer do.
    instance.lastBlockAt = std::chrono::steady_clock::now().time_since_epoch().count();
    instance.lastBlockSpan = 0;
    instance.heldKeys[0] = instance.heldKeys[1] = 0;
    storeInitialSettings(instance.hostSettings, instance);
}

} // namespace

bool constructPluginInstance(PluginInstance& instance, const FaceLink& face) noexcept {
    instance.face = face;
    bool built = false;
    try {
        built = constructCore(instance.core);
    } catch (...) { // constructCore reports running out of memory by false
        teardownCore(instance.core);
    }
    if (!built) return false;
    setHostSideDefaults(instance);
    updateCutoffCoefficient(instance); // 0.95 with the defaults
    return true;
}

void teardownPluginInstance(PluginInstance& instance) noexcept {
    teardownCore(instance.core);
}

PluginInstance* createPluginInstance(const FaceLink& face) noexcept {
    PluginInstance* instance = new (std::nothrow) PluginInstance();
    if (instance && !constructPluginInstance(*instance, face)) {
        delete instance;
        return nullptr;
    }
    return instance;
}

void destroyPluginInstance(PluginInstance* instance) noexcept {
    if (!instance) return;
    teardownPluginInstance(*instance);
    delete instance;
}

void requestRepaint(PluginInstance& instance) {
    instance.panelRepaintDue.store(true, std::memory_order_release);
    if (RepaintHook hook = instance.repaintHook.load(std::memory_order_acquire)) hook(instance);
}

} // namespace t815
