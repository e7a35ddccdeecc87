// What the plug-in shell asks of the panel editor: open it inside a host
// window, close it, and ask it to repaint after a change it shows.
#pragma once

namespace t815 {

struct PluginInstance;

// Opens the panel as a child of the host's window (never null here); false
// when no window could be made. An open panel is closed first.
bool openEditor(PluginInstance& instance, void* parentWindow);

// Closes the panel if it is open; harmless otherwise.
void closeEditor(PluginInstance& instance);

// Invalidates the whole open panel without erasing; nothing while it is
// closed. Any thread may ask.
void requestRepaint(PluginInstance& instance);

} // namespace t815
