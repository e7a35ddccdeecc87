// Stand-in for the platform-free mouse handlers until they exist.
#pragma once

namespace t815 {
struct PluginInstance;
void panelLeftButtonDown(PluginInstance& instance, int x, int y);
void panelLeftButtonDrag(PluginInstance& instance, int x, int y);
void panelLeftButtonUp(PluginInstance& instance);
void panelRightButtonDown(PluginInstance& instance);
void endPanelInteraction(PluginInstance& instance);
} // namespace t815
