// How changes from the host, MIDI and the panel reach the core without the
// audio thread ever waiting for another thread.
//
// Thread contract:
//  - The core, and the settings the core renders with (PluginInstance's
//    sampleRate, volume, cutoffParam, modWheel, currentProgramIndex,
//    programTens, programUnits), belong to whoever holds coreBusy: the audio
//    callback for the length of a block, or, rarely, a host thread (below).
//  - Every change (note on and off, program select, parameter writes, the
//    sample rate, the wheel, bend, the panel's pitch offset and voice reset)
//    is a ShellChange appended to the instance's lock-free queue from any
//    thread; the audio callback applies everything queued, in order, before
//    it renders a block. A MIDI list is one run and is applied whole.
//  - At the same time the change is recorded in hostSettings, which answer
//    getParameter, effGetProgram, the display texts and the panel at once.
//  - The audio callback takes coreBusy with one exchange and never waits: if
//    another thread holds it, the block is silence and the core does not
//    advance.
//  - Another thread holds coreBusy only while audio is absent (below) or
//    when the queue is full (the host floods changes faster than it
//    renders): it then applies the queued changes itself, appends its own,
//    and lets go. So no
//    change is ever lost or reordered, however long the host leaves the
//    audio callback uncalled.
//  - When the audio callback stays away (the host suspended it, stopped its
//    transport or renders nothing while its window is open), changes would
//    wait in the queue and the panel would show none of them. So once no
//    block has been taken for 50 ms plus two block lengths, the
//    next producer and the panel's timer take the core if it is free (never
//    waiting) and apply what is queued, in order; the panel's next timer
//    repaint shows it. A block that arrives meanwhile finds the core taken
//    and is silence.
//  - Held keys are published by the core's owner after it applies changes,
//    for the panel to read from its own thread.
//  - What producers may read of the core: its program tables
//    (programNumbers, voicePrograms) and romReady, written once while the
//    instance is constructed and constant after it. They read nothing else
//    of it.
//  - Calls to the face (FaceLink: a program select announced to the host)
//    and repaint requests are made after a change is queued, never while
//    coreBusy is held, so a host that calls back into the plug-in from its
//    callback cannot deadlock.
//  - Destroying the instance must not overlap any other call; every plug-in
//    format's host contract forbids it.
#pragma once

#include "change_queue.h"

#include <cstdint>

namespace t815 {

struct PluginInstance;

// Queues changes as one run (any number, also more than the queue holds)
// and records them in hostSettings. Never fails.
void submitChanges(PluginInstance& instance, const ShellChange* changes, std::uint32_t count);

inline void submitChange(PluginInstance& instance, const ShellChange& change) {
    submitChanges(instance, &change, 1);
}

// For a run too long to build at once (a huge MIDI list): hold the core
// (waiting for the audio callback's block to end), append the run in pieces
// of up to kChangeQueueCapacity, each applied before the next is appended,
// then release it. No block renders between the pieces.
void holdCore(PluginInstance& instance);
void appendWhileHolding(PluginInstance& instance, const ShellChange* changes, std::uint32_t count);

// The audio callback's side: takes the core for a block of `frames` samples
// if nobody holds it (false otherwise, at once), notes when, and applies
// every queued change. releaseCore gives it back.
bool takeCoreForBlock(PluginInstance& instance, std::int32_t frames);
void releaseCore(PluginInstance& instance);

// Any thread but the audio callback's, after queuing or on the panel's
// timer: applies the queued changes itself when the audio callback has
// stayed away (see the contract above). Never waits.
void applyChangesWhileAudioAbsent(PluginInstance& instance);

// The keys some slot holds down (state held), as the owner last published
// them (PluginInstance::heldKeys, read with readHeldKeys): bit k of word
// k / 64.
struct HeldKeys {
    std::uint64_t words[2];
};

} // namespace t815
