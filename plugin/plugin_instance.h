// One plug-in instance: the AEffect record handed to the host, the host's
// callback, the emulated instrument, the settings the host and the panel
// change, and the panel's interaction state. One instance is one allocation.
//
// Threads. The host calls processReplacing/process on its audio thread and
// the dispatcher, setParameter and getParameter on threads of its choosing;
// the panel (Windows) runs on the thread that opened it. coreLock makes each
// of these operations whole as seen from a rendered block:
//  - the audio callback holds it for its whole block;
//  - note events, program select, parameter writes, sample-rate changes and
//    every read of the settings take it around their work on the instance;
//  - nothing slow runs under it: no allocation (the core reserves its
//    envelope storage at construction), no call to the host, no window call.
// The panel takes it like any other caller around its changes to the
// instance and the core; editorWindow is written only on the panel's thread.
// Calls to the host (audioMasterUpdateDisplay) and repaint requests are made
// after it is released, so a host that calls back into the plug-in from its
// callback cannot deadlock. effClose must not overlap any other call; the
// host contract already forbids that.
#pragma once

#include "synth_core.h"
#include "vst2_abi.h"

#include <cstdint>
#include <mutex>

#ifdef _WIN32
struct HWND__;
using WindowHandle = HWND__*; // the HWND of the panel window
#else
using WindowHandle = void*; // no editor on this platform; always null
#endif

namespace t815 {

struct PluginInstance {
    AEffect effect;                   // first: the record the host holds; object points back here
    audioMasterCallback hostCallback; // may be null
    SynthCore core;
    double sampleRate;                // Hz; anything not positive and finite renders as 44100
    std::int32_t currentProgramIndex; // 0..31
    float volume;                     // output gain
    float cutoffParam;                // 0.05..0.99
    float modWheel;                   // 0..1
    ERect editorRect;                 // 920 x 430, handed out by effEditGetRect

    // The panel's fields.
    WindowHandle editorWindow; // null while the panel is closed
    std::int32_t programTens;  // digits of the selected program number
    std::int32_t programUnits;
    std::int32_t mouseHeldKey; // -1: none
    std::int32_t dragControl;  // 0 none, 1 pitch, 2 cutoff, 3 resonance, 4 volume, 5 wheel
    std::int32_t dragStartY;
    float dragStartValue;
    bool resetButtonDown;
    bool aboutVisible;

    std::mutex coreLock; // see the thread notes above
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
