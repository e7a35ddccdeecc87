// Builds without a window system the tools can drive: no host window, so
// editors cannot be opened.
#include "host_window.h"

bool createHostWindow(HostWindow&, int, int, std::string& whyNot) {
    whyNot = "this build has no window system to open an editor in (built without Xlib)";
    return false;
}

int childWindowCount(HostWindow&) {
    return 0;
}

void pumpWindowEvents(HostWindow&, int) {}

void resizeHostWindow(HostWindow&, int, int) {}

bool readWindowPixels(HostWindow&, int, int, std::vector<std::uint8_t>&) {
    return false;
}

void destroyHostWindow(HostWindow& window) {
    window = HostWindow{};
}
