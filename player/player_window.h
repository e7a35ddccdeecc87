// The panel in a top-level window of its own: the window is the panel's
// parent, the computer keyboard plays the instrument (computer_keyboard.h),
// and closing the window quits. X11 on Linux, USER32 on Windows.
#pragma once

#include <string>

namespace t815 {

struct PluginInstance;
struct PlayerWindow;

// Opens the window titled "T-815" with the panel inside. Null with `error`
// (one line) when there is no display or no window could be made.
PlayerWindow* openPlayerWindow(PluginInstance& instance, std::string& error);

// Handles the window's events and gives the panel its idle time for about
// `milliseconds`; false once the window has been closed.
bool runPlayerWindow(PlayerWindow* window, int milliseconds);

// Resizes the window to fit the panel's present size: the panel resized
// itself, as it does when the display's DPI changes.
void fitPlayerWindowToPanel(PlayerWindow* window);

// Releases every key the computer keyboard holds, closes the panel and the
// window.
void closePlayerWindow(PlayerWindow* window);

} // namespace t815
