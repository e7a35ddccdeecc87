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

#include "panel_primitives.h"
namespace t815 {
void paintPanel(DrawSurface& s, const PanelState& state) {
    s.fillRect({0, 0, 920, 430}, {18, 20, 23});
    s.fillRect({18, 8, 902, 214}, {28, 30, 34});
    drawLamp(s, state.romReady, 822, 19);
    drawKnob(s, 231, 0.5f);
    drawButton(s, 38, false, true);
    drawDigit(s, 8, 146);
    s.sunkenEdge({53, 258, 111, 368});
    s.textAt({42, 14}, u"ЗАТУХАНИЕ ▲", {u"Arial", 11, 0, 700, 1, 0}, {235, 240, 245});
    s.textIn({468, 72, 678, 86}, u"ЦИФРОВОЙ ПРЕСЕТНЫЙ СИНТЕЗАТОР", {u"Arial", 11, 0, 700, 1, 0},
             {235, 240, 245}, TextAlign::right, TextLines::single);
    s.textAt({688, 34}, u"Т815", {u"Arial Black", 58, 0, 900, 1, 4}, {0, 158, 228});
    s.fillRect({152, 222, 177, 414}, state.mouseHeldKey == 36 ? Rgb{210, 225, 240} : Rgb{244, 244, 240});
}
} // namespace t815
