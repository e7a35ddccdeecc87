// Program select as any thread asks for it. The core's owner applies the
// select itself (change_application.cpp); here it is queued, recorded and
// announced. Only selects from MIDI and the panel tell the host.
#include "selected_program.h"

#include "hand_off.h"
#include "plugin_instance.h"

namespace t815 {

void announceProgramSelect(PluginInstance& instance, SelectSource source) {
    // The host may call back into the instance from here: nothing is held.
    if (source == SelectSource::instrument && instance.face.programSelected)
        instance.face.programSelected(instance.face.face);
    requestRepaint(instance);
}

void selectProgramIndex(PluginInstance& instance, std::int32_t index, SelectSource source) {
    if (!isProgramIndex(index)) return;
    submitChange(instance, {ChangeKind::programSelect, index, 0.0f});
    announceProgramSelect(instance, source);
}

std::int32_t selectedProgramIndex(const PluginInstance& instance) {
    return readInt(instance.hostSettings.currentProgramIndex);
}

} // namespace t815
