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

// The host's effEditIdle: where a window system gives the panel no thread
// of its own (X11), this handles the panel's events, runs its repaint timer
// and paints. Nothing while the panel is closed. Windows drives the panel
// through its window procedure and never calls it.
void idleEditor(PluginInstance& instance);

// Paints the panel off screen into 920 x 430 pixels of red, green, blue and
// 255, rows `stride` bytes apart, open editor or not (panel_snapshot.h);
// false where the platform offers no off-screen panel or the buffer is
// unusable.
bool snapshotPanel(PluginInstance& instance, void* rgba, long stride);

} // namespace t815
