// What a face asks of the panel editor: open it inside a host window, close
// it, give it the host's idle time, paint it off screen, and its size. Every
// platform implements all of it (a call a platform has no use for does
// nothing), so that no face needs to know which platform it runs on.
#pragma once

namespace t815 {

struct PluginInstance;

constexpr int kEditorWidth = 920;
constexpr int kEditorHeight = 430;

// A size in window pixels.
struct PanelSize {
    int width, height;
};

// Opens the panel as a child of the host's window (never null here); false
// when no window could be made. An open panel is closed first.
bool openEditor(PluginInstance& instance, void* parentWindow);

// Closes the panel if it is open; harmless otherwise. A face closes it
// before it tears the instance down.
void closeEditor(PluginInstance& instance);

// The host's idle call: where a window system gives the panel no thread of
// its own (X11), this handles the panel's events, runs its repaint timer
// and paints. Nothing while the panel is closed, and nothing on Windows,
// which drives the panel through its window procedure.
void idleEditor(PluginInstance& instance);

// The file descriptor that turns readable when the open panel has window
// events waiting (X11's connection), for hosts that watch descriptors
// instead of calling idle on a timer: each time it does, idleEditor. -1
// while the panel is closed, and where no such descriptor exists.
int editorEventDescriptor(PluginInstance& instance);

// A host's request to draw the panel at a factor (its own scale, or the
// display's as it sees it): kept for the instance, as the nearest quarter
// step within 1..4, and an open panel resizes itself to it at once. False,
// with nothing changed, for NaN, infinities and factors of 0 or less.
bool setEditorScale(PluginInstance& instance, double factor);

// The panel's size in window pixels: the open panel's, else the size it
// would open at. Its scale is the host's explicit one where a host gave
// one, else the display's (the host window's DPI on Windows, the X server's
// Xft.dpi on Linux, each over 96), else 1.
PanelSize editorSize(PluginInstance& instance);

// Paints the panel off screen, at editorSize, into pixels of red, green,
// blue and 255, rows `stride` bytes apart, open editor or not; false where
// the platform offers no off-screen panel or the buffer is unusable.
bool snapshotPanel(PluginInstance& instance, void* rgba, long stride);

// The library's module handle (an HINSTANCE), which the panel's window class
// is registered with on Windows; ignored elsewhere. Null means the program's
// own module.
void setEditorModule(void* module);

} // namespace t815
