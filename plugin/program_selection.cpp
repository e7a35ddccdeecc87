// Program select. The selected program's number is looked up from the host
// index; the core resets every voice unless a key is held, in which case the
// sounding keys go on, re-pitched. Every select also sets Unison from the
// program and turns the filter on (done by the core), and recomputes the
// cutoff coefficient. Only selects from MIDI and the panel tell the host.
#include "program_selection.h"

#include "cutoff.h"
#include "editor_link.h"
#include "hand_off.h"
#include "key_slots.h"
#include "plugin_instance.h"
#include "program_select.h"

namespace t815 {

void changeProgram(PluginInstance& instance, std::int32_t index) {
    SynthCore& core = instance.core;
    instance.currentProgramIndex = index;
    const std::int32_t number = core.programNumbers[index];
    instance.programTens = number / 10;
    instance.programUnits = number % 10;
    selectProgram(core, number, !anyKeyHeld(core));
    updateCutoffCoefficient(instance);
}

void announceProgramChange(PluginInstance& instance, bool notifyHost) {
    // The host may call back into the plug-in from here: nothing is held.
    if (notifyHost && instance.hostCallback)
        instance.hostCallback(&instance.effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
    requestRepaint(instance);
}

void selectProgramIndex(PluginInstance& instance, std::int32_t index, bool notifyHost) {
    if (!isProgramIndex(index)) return;
    submitChange(instance, {ChangeKind::programSelect, index, 0.0f});
    announceProgramChange(instance, notifyHost);
}

} // namespace t815
