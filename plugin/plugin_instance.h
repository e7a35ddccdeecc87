// One plug-in instance: the AEffect record handed to the host, the host's
// callback, the emulated instrument, the settings the host and the panel
// change, and the panel's interaction state. One instance is one allocation.
//
// Threads: see hand_off.h. The core and the settings next to it belong to
// the thread that holds coreBusy (the audio callback while it renders); every
// other thread changes them only through the change queue and reads the
// settings from hostSettings. The panel's fields (editorWindow aside) belong
// to the thread that opened the panel.
#pragma once

#include "change_queue.h"
#include "host_settings.h"
#include "synth_core.h"
#include "vst2_abi.h"

#include <atomic>
#include <cstdint>

#ifdef _WIN32
struct HWND__;
using WindowHandle = HWND__*; // the HWND of the panel window
#else
using WindowHandle = void*; // the platform editor's own record
#endif

namespace t815 {

struct PluginInstance {
    AEffect effect;                   // first: the record the host holds; object points back here
    audioMasterCallback hostCallback; // may be null
    SynthCore core;

    // The settings the core renders with; they belong with the core.
    double sampleRate;                // Hz; anything below 1000 or not finite renders as 44100
    std::int32_t currentProgramIndex; // 0..31
    float volume;                     // output gain 0..1
    float cutoffParam;                // 0.05..0.99
    float modWheel;                   // 0..1
    std::int32_t programTens;         // digits of the selected program number
    std::int32_t programUnits;
    ERect editorRect; // 920 x 430, handed out by effEditGetRect

    // The panel's fields.
    std::atomic<WindowHandle> editorWindow; // null while the panel is closed; read by any thread
    std::atomic<bool> panelRepaintDue; // set from any thread; an editor painting at idle takes it
    std::int32_t mouseHeldKey;         // -1: none
    std::int32_t dragControl;          // 0 none, 1 pitch, 2 cutoff, 3 resonance, 4 volume, 5 wheel
    std::int32_t dragStartY;
    float dragStartValue;
    bool resetButtonDown;
    bool aboutVisible;

    // The hand-off (hand_off.h).
    HostSettings hostSettings;              // what the host and the panel read, from any thread
    ChangeQueue changes;                    // changes on their way to the core
    std::atomic<bool> coreBusy;             // the core has an owner
    std::atomic<std::uint64_t> heldKeys[2]; // keys held in the core's slots, published by the owner
    std::atomic<std::uint32_t> blocksTaken; // audio callbacks that took the core, wrapping
    std::atomic<std::uint32_t> stalledAtBlock; // blocksTaken when producers last saw no progress
    std::atomic<std::uintptr_t>
        audioThread; // the thread of the latest audio callback (hand_off.cpp)
};

// Allocates and constructs an instance; null when memory runs out, with
// everything built so far released again. Never throws.
PluginInstance* createPluginInstance(audioMasterCallback hostCallback) noexcept;

// Closes the panel, tears down the core and releases the instance.
void destroyPluginInstance(PluginInstance* instance) noexcept;

// The instance behind a host's record; null for a null record or object.
inline PluginInstance* instanceOf(AEffect* effect) {
    return effect ? static_cast<PluginInstance*>(effect->object) : nullptr;
}

} // namespace t815
