// The editor where no platform window exists for it (the i686 Linux build,
// which has no 32-bit Cairo): opening creates no window, so the host is
// told there is no panel, and everything else has nothing to act on.
#include "panel_editor.h"

#include "editor_scale.h"
#include "instrument_operations.h"

namespace t815 {

bool openEditor(PluginInstance&, void*) {
    return false;
}

void closeEditor(PluginInstance& instance) {
    instance.editorWindow = nullptr;
}

void idleEditor(PluginInstance&) {}

int editorEventDescriptor(PluginInstance&) {
    return -1;
}

bool setEditorScale(PluginInstance& instance, double factor) {
    return takeHostScale(instance, factor);
}

PanelSize editorSize(PluginInstance& instance) {
    return scaledPanelSize(chosenScale(instance, kUnitScale));
}

bool snapshotPanel(PluginInstance&, void*, long) {
    return false;
}

void setEditorModule(void*) {}

} // namespace t815
