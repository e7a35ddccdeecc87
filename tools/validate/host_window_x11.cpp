// The Linux host window: an X11 window on the display DISPLAY names, its id
// handed to the editor as hosts do. Errors the plug-in's own connection
// causes are its business; errors on ours are counted, not fatal.
#include "host_window.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

namespace {

int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

int countDescendants(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    int total = static_cast<int>(count);
    for (unsigned int i = 0; i < count; ++i)
        total += countDescendants(display, children[i]);
    if (children) XFree(children);
    return total;
}

} // namespace

bool createHostWindow(HostWindow& window, int width, int height, std::string& whyNot) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        whyNot = "no X display to open an editor in (DISPLAY unset or unreachable)";
        return false;
    }
    XSetErrorHandler(ignoreError);
    const Window id =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display, id);
    XSync(display, False);
    window = HostWindow{};
    window.connection = display;
    window.id = id;
    window.parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
    return true;
}

int childWindowCount(HostWindow& window) {
    Display* display = static_cast<Display*>(window.connection);
    XSync(display, False);
    return countDescendants(display, window.id);
}

void pumpWindowEvents(HostWindow& window, int milliseconds) {
    Display* display = static_cast<Display*>(window.connection);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < end);
}

void destroyHostWindow(HostWindow& window) {
    Display* display = static_cast<Display*>(window.connection);
    if (display) {
        XDestroyWindow(display, window.id);
        XCloseDisplay(display);
    }
    window = HostWindow{};
}
