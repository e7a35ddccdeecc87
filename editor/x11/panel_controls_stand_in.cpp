// Stand-in for the platform-free mouse handlers until they exist.
#include "panel_controls_stand_in.h"

#include "editor_link.h"
#include "instance_changes.h"

namespace t815 {
void panelLeftButtonDown(PluginInstance& instance, int x, int y) {
    if (y >= 222 && y < 414 && x >= 152 && x < 178) {
        instance.mouseHeldKey = 36;
        pressKey(instance, 36);
    }
    requestRepaint(instance);
}
void panelLeftButtonDrag(PluginInstance&, int, int) {}
void panelLeftButtonUp(PluginInstance& instance) {
    endPanelInteraction(instance);
}
void panelRightButtonDown(PluginInstance& instance) {
    setModWheel(instance, 0.0f);
    requestRepaint(instance);
}
void endPanelInteraction(PluginInstance& instance) {
    if (instance.mouseHeldKey >= 0) releaseKey(instance, instance.mouseHeldKey);
    instance.mouseHeldKey = -1;
}
} // namespace t815
