// The host's window an editor opens into: a shown top-level window on
// Windows (its HWND), an X11 window on Linux when a display is reachable.
// Elsewhere, or without a display, none can be made and the editor checks
// report that they cannot measure.
#pragma once

#include <string>

struct HostWindow {
    void* parent = nullptr;     // what effEditOpen receives
    void* connection = nullptr; // the X11 Display*, null on Windows
    unsigned long id = 0;       // the X11 window id
};

bool createHostWindow(HostWindow& window, int width, int height, std::string& whyNot);

// Windows the plug-in made inside the parent, directly or further down.
int childWindowCount(HostWindow& window);

// Delivers the window system's pending messages for about `milliseconds`.
void pumpWindowEvents(HostWindow& window, int milliseconds);

void destroyHostWindow(HostWindow& window);
