// One instance of the instrument, whatever face (plug-in format or program)
// presents it: the emulated instrument, the settings the host and the panel
// change, the hand-off of those changes to the audio thread, and the panel's
// interaction state. It knows no plug-in format and no window system: a face
// embeds it in its own record (one allocation per instance) and links itself
// in through FaceLink; the panel editor links itself in through the repaint
// hook.
//
// Threads: see hand_off.h. The core and the settings next to it belong to
// the thread that holds coreBusy (the audio callback while it renders); every
// other thread changes them only through the change queue and reads the
// settings from hostSettings. The panel's fields (editorWindow and the
// repaint hook aside) belong to the thread that opened the panel.
#pragma once

#include "change_queue.h"
#include "host_settings.h"
#include "synth_core.h"

#include <atomic>
#include <cstdint>

namespace t815 {

struct PluginInstance;

// What the face that owns an instance wants to hear of it. Set once, before
// the instance is used; either function may be null.
struct FaceLink {
    void* face; // the face's own record, handed back to each call
    // The selected program changed at the request of MIDI or the panel, not
    // of the host: the host should refresh what it shows. Called from the
    // thread that asked, after the change is queued, with nothing held.
    void (*programSelected)(void* face);
    // The panel's user starts (begins true) or ends dragging the control of
    // parameter index 0..4; the host groups the changes between into one
    // gesture. Called from the panel's thread, with nothing held.
    void (*parameterGesture)(void* face, std::int32_t index, bool begins);
    // The open panel took a new size of its own accord (it follows the
    // display's DPI): the host should resize the window it sits in. Called
    // from the panel's thread, with nothing held that a call back into the
    // editor would wait for.
    void (*panelResized)(void* face);
};

// The panel's repaint request, installed by the open panel editor and
// removed before it closes; called from any thread, the audio thread
// included.
using RepaintHook = void (*)(PluginInstance& instance);

struct PluginInstance {
    FaceLink face;
    SynthCore core;

    // The settings the core renders with; they belong with the core.
    double sampleRate;                // Hz; anything below 1000 or not finite renders as 44100
    std::int32_t currentProgramIndex; // 0..31
    float volume;                     // output gain 0..1
    float cutoffParam;                // 0.05..0.99
    float modWheel;                   // 0..1
    std::int32_t programTens;         // digits of the selected program number
    std::int32_t programUnits;

    // The panel's fields.
    std::atomic<void*> editorWindow;      // the open panel's own record; null while closed
    std::atomic<RepaintHook> repaintHook; // null while no panel listens
    std::atomic<bool> panelRepaintDue;    // set from any thread; a panel painting at idle takes it
    std::int32_t mouseHeldKey;            // -1: none
    std::int32_t dragControl; // 0 none, 1 pitch, 2 cutoff, 3 resonance, 4 volume, 5 wheel
    std::int32_t dragStartY;
    float dragStartValue;
    bool resetButtonDown;
    bool aboutVisible;
    std::atomic<std::int32_t> hostScaleQuarters; // a host's explicit scale, 4..16; 0: none given
    std::int32_t openScaleQuarters;              // the open panel's scale, 4..16

    // The hand-off (hand_off.h).
    HostSettings hostSettings;              // what the host and the panel read, from any thread
    ChangeQueue changes;                    // changes on their way to the core
    std::atomic<bool> coreBusy;             // the core has an owner
    std::atomic<std::uint64_t> heldKeys[2]; // keys held in the core's slots, published by the owner
    std::atomic<std::uint32_t> blocksTaken; // audio callbacks that took the core, wrapping
    std::atomic<std::uint32_t> stalledAtBlock; // blocksTaken when producers last saw no progress
    std::atomic<std::uintptr_t>
        audioThread;                       // the thread of the latest audio callback (hand_off.cpp)
    std::atomic<std::int64_t> lastBlockAt; // steady-clock time the latest block took the core
    std::atomic<std::int64_t> lastBlockSpan; // that block's length, in steady-clock ticks
};

// Builds an instance in place (it may live inside a face's record): the
// core first (ROM unpacked, program 00 selected), then the settings'
// defaults and the cutoff coefficient. False when memory runs out, with
// everything built so far released again. Never throws.
bool constructPluginInstance(PluginInstance& instance, const FaceLink& face) noexcept;

// Tears down the core. The face closes the panel first.
void teardownPluginInstance(PluginInstance& instance) noexcept;

// An instance of its own, for faces and tools that keep it apart from their
// record: allocated and constructed (null when memory runs out), and
// torn down and released.
PluginInstance* createPluginInstance(const FaceLink& face) noexcept;
void destroyPluginInstance(PluginInstance* instance) noexcept;

// Asks the open panel, if any, to repaint: sets panelRepaintDue and calls
// the installed hook. Any thread may ask.
void requestRepaint(PluginInstance& instance);

} // namespace t815
