// The host's window an editor opens into: a shown top-level window on
// Windows (its HWND), an X11 window on Linux when a display is reachable.
// Elsewhere, or without a display, none can be made and the callers report
// that editors cannot be opened here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HostWindow {
    void* parent = nullptr;     // what effEditOpen receives: the HWND, or the X11 id as a pointer
    void* connection = nullptr; // the X11 Display*, null on Windows
    unsigned long id = 0;       // the X11 window id
};

bool createHostWindow(HostWindow& window, int width, int height, std::string& whyNot);

// Windows the plug-in made inside the parent, directly or further down.
int childWindowCount(HostWindow& window);

// Delivers the window system's pending messages for about `milliseconds`
// (at least once).
void pumpWindowEvents(HostWindow& window, int milliseconds);

// Gives the window a client area of width × height, as when an editor asks
// for another size.
void resizeHostWindow(HostWindow& window, int width, int height);

// The top left width × height pixels of the editor: the plug-in's first
// window inside the host's, else the host's window itself; 3 bytes (RGB) a
// pixel, rows top first. On Windows the editor is asked to paint itself
// into memory (WM_PRINTCLIENT), so parts beyond the screen's edge come out
// too where it answers; what the screen shows stands where it does not.
bool readWindowPixels(HostWindow& window, int width, int height, std::vector<std::uint8_t>& rgb);

void destroyHostWindow(HostWindow& window);
