// What the panel, and any face, may do with an instance: press and release
// a key, move the wheel, tune, reset the voices, change a setting, select a
// program, and read what the panel shows. Each change is queued for the core
// like a host's or a MIDI change (hand_off.h); none requests a repaint.
// The panel editor reaches the instrument through this header alone.
#pragma once

#include "hand_off.h"
#include "instrument_facts.h"
#include "panel_state.h"
#include "parameters.h"
#include "plugin_instance.h"
#include "program_names.h"
#include "selected_program.h"

#include <cstdint>

namespace t815 {

// As a MIDI note-on or note-off for key 0..127.
inline void pressKey(PluginInstance& instance, std::int32_t key) {
    submitChange(instance, {ChangeKind::noteOn, key, 0.0f});
}
inline void releaseKey(PluginInstance& instance, std::int32_t key) {
    submitChange(instance, {ChangeKind::noteOff, key, 0.0f});
}

// As MIDI controller 1: position 0..1, then the cutoff coefficient.
inline void setModWheel(PluginInstance& instance, float position) {
    submitChange(instance, {ChangeKind::modWheel, 0, position});
}

// The core's pitch offset in pitch steps (the panel's -25..25), then the
// sounding keys re-pitched.
inline void setPitchOffset(PluginInstance& instance, std::int32_t steps) {
    submitChange(instance, {ChangeKind::pitchOffset, steps, 0.0f});
}

// Every slot free, every oscillator pitch 0, the filter state 0; envelopes,
// phases, the program and the settings are left as they are.
inline void resetAllVoices(PluginInstance& instance) {
    submitChange(instance, {ChangeKind::resetVoices, 0, 0.0f});
}

// The host's sample rate, stored as given; rendering treats rates below
// 1000 Hz or not finite as 44100 Hz.
inline void setSampleRate(PluginInstance& instance, float rate) {
    submitChange(instance, {ChangeKind::sampleRate, 0, rate});
}

// The panel's user takes hold of (begins) or lets go of the control of
// parameter index 0..4; the face tells its host, if it cares.
inline void markParameterGesture(PluginInstance& instance, std::int32_t index, bool begins) {
    if (instance.face.parameterGesture)
        instance.face.parameterGesture(instance.face.face, index, begins);
}

// The open panel changed its size to follow the display; the face asks its
// host to follow in turn.
inline void announcePanelResized(PluginInstance& instance) {
    if (instance.face.panelResized) instance.face.panelResized(instance.face.face);
}

} // namespace t815
