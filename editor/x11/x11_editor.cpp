// The panel inside a Linux host: an X11 child window of the host's window,
// on an X connection of its own, driven entirely by the host's idle
// calls. Each idle drains the window's events and hands them to the
// platform-free controls (the left button operates them, with a pointer
// grab standing in for mouse capture; the right button resets the wheel
// anywhere; the middle button and the scroll wheel do nothing), runs the
// 35 ms repaint timer's work when its time has come, and paints when
// anything asked for it: the whole panel on a Cairo image, copied to the
// window in one step. The window is the panel's size at its scale (the
// host's, else the X server's Xft.dpi), and a new scale resizes it: the
// host's, or the server's as its resources change (the root window's
// RESOURCE_MANAGER property, watched on the panel's connection), which the
// host is then asked to follow.
//
// Threads: hosts call open, idle, close, the scale and the size from
// threads of their choosing, and XInitThreads is not ours to call, so every
// call on an X connection is made under editorCalls, a lock that only these
// editor calls and the panel snapshot take (never the audio thread); the
// panel's interaction fields and its scale belong to whoever holds it.
// requestRepaint may come from any thread, the audio thread included: it
// only sets the instance's panelRepaintDue flag, which the idle call takes.
// X errors on our connection (a host window that went away, say) are
// caught while the lock is held, so that they never reach the host's
// handler or Xlib's default one, which would end the host's process.
#include "panel_editor.h"

#include "editor_scale.h"
#include "instrument_operations.h"
#include "panel_controls.h"
#include "panel_image.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <new>

namespace t815 {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Clock::duration kRepaintPeriod = std::chrono::milliseconds(35);

constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ExposureMask |
                            StructureNotifyMask | LeaveWindowMask;
constexpr unsigned kGrabMask =
    ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask;

// What an open panel holds; instance.editorWindow points at it. The
// controls reach the window through it.
struct X11Editor final : PanelWindow {
    Display* display = nullptr;
    Window window = 0;
    cairo_surface_t* windowSurface = nullptr; // Cairo's view of the window, for the copy
    bool grabbed = false;                     // the controls hold the mouse capture
    bool windowGone = false;       // destroyed from outside (the host's window went first)
    bool repaintDue = false;       // the controls asked for a paint
    bool closeDue = false;         // the host closed the panel from inside our idle call
    bool resourcesChanged = false; // the server's resources (its Xft.dpi) may have changed
    Time eventTime = CurrentTime;  // of the event being handled, for the grab
    Clock::time_point lastRepaintTick;

    void captureMouse() override {
        grabbed = XGrabPointer(display, window, False, kGrabMask, GrabModeAsync, GrabModeAsync,
                               None, None, eventTime) == GrabSuccess;
    }
    void releaseMouse() override {
        if (grabbed) XUngrabPointer(display, eventTime);
        grabbed = false;
    }
    void repaint() override { repaintDue = true; }
};

std::mutex editorCalls;
// The instance this thread is idling, while it is inside idleEditor: the
// controls' program selects are announced to the host, and a host may call
// straight back into the editor from there. Such calls already hold the
// lock; closing the panel being idled waits until its idle is done.
thread_local PluginInstance* idlingInstance = nullptr;

// The X error trap: errors on the display being worked on are noted, errors
// on any other connection (the host's) go to the handler that was there.
Display* trappedDisplay = nullptr;
bool trappedError = false;
XErrorHandler hostErrorHandler = nullptr;

int noteError(Display* display, XErrorEvent* event) {
    if (display == trappedDisplay) {
        trappedError = true;
        return 0;
    }
    return hostErrorHandler ? hostErrorHandler(display, event) : 0;
}

// Catches the display's errors for its lifetime; every request made in it
// has been answered by the time it ends. Taken only under editorCalls.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display)
        : display(display), outerDisplay(trappedDisplay), outerError(trappedError) {
        trappedDisplay = display;
        trappedError = false;
        if (!outerDisplay) hostErrorHandler = XSetErrorHandler(noteError);
    }
    ~ErrorTrap() {
        XSync(display, False);
        if (!outerDisplay) XSetErrorHandler(hostErrorHandler);
        trappedDisplay = outerDisplay; // a trap inside another gives the outer one back
        trappedError = outerError;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Whether any request so far failed.
    bool failed() {
        XSync(display, False);
        return trappedError;
    }

  private:
    Display* display;
    Display* outerDisplay;
    bool outerError;
};

X11Editor* editorOf(const PluginInstance& instance) {
    return static_cast<X11Editor*>(instance.editorWindow.load(std::memory_order_acquire));
}

PanelScale openScale(const PluginInstance& instance) {
    return {instance.openScaleQuarters};
}

// The display's scale: the X server's Xft.dpi resource over 96, as the
// desktop's own programs read it. Read from the root window's property as it
// is now: Xlib's copy (XResourceManagerString) is the one of the
// connection's opening.
PanelScale displayScale(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long length = 0, remaining = 0;
    unsigned char* resources = nullptr;
    const bool read = XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER,
                                         0, 1L << 24, False, XA_STRING, &type, &format, &length,
                                         &remaining, &resources) == Success;
    // Xlib ends the value it returns with a zero byte.
    const double dpi =
        read && type == XA_STRING && format == 8 ? xftDpiOf(reinterpret_cast<char*>(resources)) : 0;
    if (resources) XFree(resources);
    return scaleOfDpi(dpi);
}

// The scale the panel is shown at, or would open at: a host's, else the
// display's (read on a connection of its own while the panel is closed).
PanelScale currentScale(const PluginInstance& instance) {
    if (editorOf(instance)) return openScale(instance);
    if (instance.hostScaleQuarters.load() != 0) return chosenScale(instance, kUnitScale);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return kUnitScale;
    const PanelScale scale = displayScale(display);
    XCloseDisplay(display);
    return scale;
}

void paint(PluginInstance& instance, X11Editor& editor) {
    if (editor.windowGone) return;
    cairo_surface_t* image = paintPanelImage(instance, openScale(instance));
    if (!image) return;
    cairo_t* context = cairo_create(editor.windowSurface);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(context, image, 0, 0);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_flush(editor.windowSurface);
    cairo_surface_destroy(image);
}

void send(PluginInstance& instance, X11Editor& editor, PanelInput input, int x = 0, int y = 0,
          bool leftButtonHeld = false) {
    handlePanelEvent(instance, editor, {input, x, y, leftButtonHeld}, openScale(instance));
}

// The grab ended without a release reaching us (the window was hidden or
// destroyed, or the release went elsewhere): the press ends as if the
// capture had been taken away.
void loseCapture(PluginInstance& instance, X11Editor& editor) {
    if (!editor.grabbed) return;
    editor.grabbed = false;
    XUngrabPointer(editor.display, CurrentTime);
    send(instance, editor, PanelInput::captureLost);
}

// Successive pointer motions are one move to the last position; a motion
// after anything else is not folded past it.
XMotionEvent latestMotion(Display* display, XMotionEvent motion) {
    XEvent next;
    while (XPending(display) > 0) {
        XPeekEvent(display, &next);
        if (next.type != MotionNotify || next.xmotion.window != motion.window) break;
        XNextEvent(display, &next);
        motion = next.xmotion;
    }
    return motion;
}

void handleEvent(PluginInstance& instance, X11Editor& editor, XEvent& event) {
    if (event.type == PropertyNotify && event.xproperty.atom == XA_RESOURCE_MANAGER &&
        event.xproperty.window == DefaultRootWindow(editor.display))
        editor.resourcesChanged = true;
    if (event.xany.window != editor.window) return;
    switch (event.type) {
    case ButtonPress:
        editor.eventTime = event.xbutton.time;
        if (event.xbutton.button == Button1)
            send(instance, editor, PanelInput::leftButtonDown, event.xbutton.x, event.xbutton.y);
        else if (event.xbutton.button == Button3)
            send(instance, editor, PanelInput::rightButtonDown, event.xbutton.x, event.xbutton.y);
        break;
    case MotionNotify: {
        const XMotionEvent motion = latestMotion(editor.display, event.xmotion);
        editor.eventTime = motion.time;
        send(instance, editor, PanelInput::pointerMove, motion.x, motion.y,
             (motion.state & Button1Mask) != 0);
        break;
    }
    case ButtonRelease:
        editor.eventTime = event.xbutton.time;
        if (event.xbutton.button == Button1)
            send(instance, editor, PanelInput::leftButtonUp, event.xbutton.x, event.xbutton.y);
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyUngrab) loseCapture(instance, editor);
        break;
    case UnmapNotify:
        loseCapture(instance, editor);
        break;
    case DestroyNotify:
        loseCapture(instance, editor);
        editor.windowGone = true;
        break;
    case Expose:
        editor.repaintDue = true;
        break;
    default:
        break;
    }
}

void drainEvents(PluginInstance& instance, X11Editor& editor) {
    while (XPending(editor.display) > 0) {
        XEvent event;
        XNextEvent(editor.display, &event);
        handleEvent(instance, editor, event);
    }
}

// A grab ends without telling us when its window stops being viewable (the
// host hid its own window), and a release can escape it; the window's and
// the pointer's own state say whether the capture still holds. A release
// the server sent before answering is read first.
void checkCapture(PluginInstance& instance, X11Editor& editor) {
    if (!editor.grabbed || editor.windowGone) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(editor.display, editor.window, &attributes) ||
        attributes.map_state != IsViewable) {
        loseCapture(instance, editor);
        return;
    }
    Window root, child;
    int rootX, rootY, x, y;
    unsigned mask = 0;
    XQueryPointer(editor.display, editor.window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    if (mask & Button1Mask) return;
    drainEvents(instance, editor);
    loseCapture(instance, editor);
}

void destroyEditor(X11Editor* editor) {
    {
        ErrorTrap trap(editor->display);
        if (editor->grabbed) XUngrabPointer(editor->display, CurrentTime);
        cairo_surface_finish(editor->windowSurface);
        cairo_surface_destroy(editor->windowSurface);
        if (!editor->windowGone) XDestroyWindow(editor->display, editor->window);
    }
    XCloseDisplay(editor->display);
    delete editor;
}

void closeLocked(PluginInstance& instance) {
    X11Editor* editor = static_cast<X11Editor*>(instance.editorWindow.exchange(nullptr));
    if (!editor) return;
    endPanelInteraction(instance, *editor); // no note is left sounding, no button left down
    destroyEditor(editor);
}

// The child window and Cairo's view of it; false (with nothing left behind
// but the display) when the parent is no window of this server.
bool createWindow(X11Editor& editor, Window parent, PanelSize size) {
    ErrorTrap trap(editor.display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None; // nothing erased before a paint: no flicker
    editor.window =
        XCreateWindow(editor.display, parent, 0, 0, size.width, size.height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    XWindowAttributes created{};
    if (trap.failed() || !XGetWindowAttributes(editor.display, editor.window, &created) ||
        trap.failed()) {
        if (editor.window) XDestroyWindow(editor.display, editor.window);
        return false;
    }
    XStoreName(editor.display, editor.window, kPluginEffectName);
    XMapWindow(editor.display, editor.window);
    editor.windowSurface = cairo_xlib_surface_create(editor.display, editor.window, created.visual,
                                                     size.width, size.height);
    if (cairo_surface_status(editor.windowSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(editor.windowSurface);
        XDestroyWindow(editor.display, editor.window);
        return false;
    }
    return !trap.failed();
}

// Shows the open panel at a new scale: a press in progress (measured at the
// old scale) ends first, then the window and Cairo's view of it take the
// scaled size. Under an ErrorTrap.
void rescaleWindow(PluginInstance& instance, X11Editor& editor, PanelScale scale) {
    endPanelInteraction(instance, editor);
    instance.openScaleQuarters = scale.quarters;
    const PanelSize size = scaledPanelSize(scale);
    if (!editor.windowGone) {
        XResizeWindow(editor.display, editor.window, size.width, size.height);
        cairo_xlib_surface_set_size(editor.windowSurface, size.width, size.height);
    }
    editor.repaintDue = true;
}

// The server's resources changed: the panel follows a new Xft.dpi, unless a
// host's scale holds, and asks its host to follow in turn.
void followDisplay(PluginInstance& instance, X11Editor& editor) {
    editor.resourcesChanged = false;
    const PanelScale scale = chosenScale(instance, displayScale(editor.display));
    if (scale.quarters == instance.openScaleQuarters) return;
    rescaleWindow(instance, editor, scale);
    announcePanelResized(instance);
}

void runIdle(PluginInstance& instance, X11Editor& editor) {
    ErrorTrap trap(editor.display);
    drainEvents(instance, editor);
    if (editor.resourcesChanged) followDisplay(instance, editor);
    checkCapture(instance, editor);
    const Clock::time_point now = Clock::now();
    if (now - editor.lastRepaintTick >= kRepaintPeriod) {
        editor.lastRepaintTick = now;
        send(instance, editor, PanelInput::repaintTimer);
    }
    const bool requested = instance.panelRepaintDue.exchange(false, std::memory_order_acq_rel);
    if (requested || editor.repaintDue) {
        editor.repaintDue = false;
        paint(instance, editor);
    }
}

bool openLocked(PluginInstance& instance, void* parentWindow) {
    closeLocked(instance);
    // Our own connection, whatever Display* the host passed along.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    // The server's resources are watched before the scale is read from them:
    // a change after the reading arrives as an event.
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    X11Editor* editor = new (std::nothrow) X11Editor();
    if (editor) editor->display = display;
    const auto parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
    const PanelScale scale = chosenScale(instance, displayScale(display));
    instance.openScaleQuarters = scale.quarters;
    if (!editor || !createWindow(*editor, parent, scaledPanelSize(scale))) {
        delete editor;
        XCloseDisplay(display);
        return false;
    }
    editor->lastRepaintTick = Clock::now();
    editor->repaintDue = true; // the first idle paints
    instance.editorWindow.store(editor, std::memory_order_release);
    return true;
}

bool setScaleLocked(PluginInstance& instance, double factor) {
    if (!takeHostScale(instance, factor)) return false;
    X11Editor* editor = editorOf(instance);
    const PanelScale scale = chosenScale(instance, kUnitScale);
    if (!editor || scale.quarters == instance.openScaleQuarters) return true;
    ErrorTrap trap(editor->display);
    rescaleWindow(instance, *editor, scale);
    return true;
}

} // namespace

bool openEditor(PluginInstance& instance, void* parentWindow) {
    if (idlingInstance == &instance) return false; // its window is in use
    if (idlingInstance) return openLocked(instance, parentWindow);
    std::lock_guard<std::mutex> lock(editorCalls);
    return openLocked(instance, parentWindow);
}

void closeEditor(PluginInstance& instance) {
    if (idlingInstance == &instance) {
        // The idle call closes it when it has finished with the window.
        if (X11Editor* editor = editorOf(instance)) editor->closeDue = true;
        return;
    }
    if (idlingInstance) return closeLocked(instance);
    std::lock_guard<std::mutex> lock(editorCalls);
    closeLocked(instance);
}

void idleEditor(PluginInstance& instance) {
    if (idlingInstance) return; // called back from our own idle
    std::lock_guard<std::mutex> lock(editorCalls);
    X11Editor* editor = editorOf(instance);
    if (!editor) return;
    idlingInstance = &instance;
    runIdle(instance, *editor);
    idlingInstance = nullptr;
    if (editor->closeDue) closeLocked(instance);
}

int editorEventDescriptor(PluginInstance& instance) {
    if (idlingInstance)
        return editorOf(instance) ? ConnectionNumber(editorOf(instance)->display) : -1;
    std::lock_guard<std::mutex> lock(editorCalls);
    X11Editor* editor = editorOf(instance);
    return editor ? ConnectionNumber(editor->display) : -1;
}

bool setEditorScale(PluginInstance& instance, double factor) {
    if (idlingInstance) return setScaleLocked(instance, factor);
    std::lock_guard<std::mutex> lock(editorCalls);
    return setScaleLocked(instance, factor);
}

PanelSize editorSize(PluginInstance& instance) {
    if (idlingInstance) return scaledPanelSize(currentScale(instance));
    std::lock_guard<std::mutex> lock(editorCalls);
    return scaledPanelSize(currentScale(instance));
}

bool snapshotPanel(PluginInstance& instance, void* rgba, long stride) {
    // The panel's interaction fields belong to whoever holds the lock.
    auto* pixels = static_cast<std::uint8_t*>(rgba);
    if (idlingInstance) return copyPanelPixels(instance, pixels, stride, currentScale(instance));
    std::lock_guard<std::mutex> lock(editorCalls);
    return copyPanelPixels(instance, pixels, stride, currentScale(instance));
}

void setEditorModule(void*) {}

} // namespace t815
