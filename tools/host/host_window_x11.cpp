// The Linux host window: an X11 window on the display DISPLAY names, its id
// handed to the editor as hosts do, and the editor's pixels read back with
// XGetImage. Errors the plug-in's own connection causes are its business;
// errors on ours are ignored, not fatal.
#include "host_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

// The first child of a window, or 0.
Window firstChild(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    const Window child = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return child;
}

// The lowest bit a colour mask covers, and the mask's value at full intensity.
int maskShift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

std::uint8_t channelOf(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long full = mask >> maskShift(mask);
    return static_cast<std::uint8_t>(((pixel & mask) >> maskShift(mask)) * 255 / full);
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

void resizeHostWindow(HostWindow& window, int width, int height) {
    Display* display = static_cast<Display*>(window.connection);
    XResizeWindow(display, window.id, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
}

bool readWindowPixels(HostWindow& window, int width, int height, std::vector<std::uint8_t>& rgb) {
    Display* display = static_cast<Display*>(window.connection);
    XSync(display, False);
    const Window child = firstChild(display, window.id);
    XImage* image =
        XGetImage(display, child ? child : window.id, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return false;
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    std::uint8_t* out = rgb.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            *out++ = channelOf(pixel, image->red_mask);
            *out++ = channelOf(pixel, image->green_mask);
            *out++ = channelOf(pixel, image->blue_mask);
        }
    XDestroyImage(image);
    return true;
}

void destroyHostWindow(HostWindow& window) {
    Display* display = static_cast<Display*>(window.connection);
    if (display) {
        XDestroyWindow(display, window.id);
        XCloseDisplay(display);
    }
    window = HostWindow{};
}
