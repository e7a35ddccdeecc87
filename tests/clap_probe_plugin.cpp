// A CLAP instrument for testing hosts: it checks the order and threads of the
// host's calls and writes what it received into its audio. Left: the
// sounding key / 128, changing exactly at each note event's time (0 when no
// key is down; any note-off or choke releases). Right: Steps × 0.125 +
// Level × 0.0625, changing at each parameter event's time, or -1 in every
// sample once the host has broken the expected sequence (a call out of
// order or on the wrong thread as the host's thread check answers, events
// out of time order or beyond the block, a block larger than activated for).
//
// It offers parameters (Level 0..1, Steps 0..4 stepped, and the read-only
// Callbacks: how often on_main_thread ran, which the probe asks for at its
// first note), state, one note port taking CLAP and MIDI dialects, one
// output port, a latency of 16 samples, a NOTE_END event per released note,
// and a gui (Win32 on Windows, X11 on Linux with Xlib): a 160 × 100 blue
// panel painted when the window system asks (on Linux read through the
// host's descriptor watch), and at the host's first timer call a yellow
// square and a request to grow to 200 × 120.
//
// The environment variable T815_CLAP_PROBE, read when the entry is
// initialised, chooses a variant or a fault:
//   two-plugins   the factory holds a second plug-in: mono output, MIDI preferred
//   entry-fails   the entry's init answers false
#include "clap_abi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifdef T815_PROBE_X11
#include <X11/Xlib.h>
#endif

namespace {

enum class Mode { Plain, TwoPlugins, EntryFails };

Mode mode = Mode::Plain;
int entryCount = 0;

constexpr clap_id kLevel = 10, kSteps = 20, kCallbacks = 30;
constexpr std::uint32_t kLatency = 16;
constexpr std::uint32_t kGuiWidth = 160, kGuiHeight = 100;
constexpr std::uint32_t kGrownWidth = 200, kGrownHeight = 120;
constexpr std::uint32_t kTimerMs = 30;
constexpr std::size_t kStateBytes = 16 + 2 * sizeof(double);
const char kStateMagic[16] = "T815 CLAP PROBE";

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};
const char* const kMonoFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, nullptr};

const clap_plugin_descriptor kDescriptors[] = {
    {CLAP_VERSION_INIT, "t815.test.clap-probe", "CLAP Probe", "T-815 Project", "", "", "", "1.0",
     "Writes what the host sends into its audio", kFeatures},
    {CLAP_VERSION_INIT, "t815.test.clap-probe-mono", "CLAP Probe Mono", "T-815 Project", "", "", "",
     "1.0", "The probe with one channel, preferring MIDI", kMonoFeatures},
};

struct Gui {
    bool created = false;
    std::uint32_t width = kGuiWidth, height = kGuiHeight;
    int ticks = 0;
    clap_id timer = CLAP_INVALID_ID;
#ifdef _WIN32
    HWND window = nullptr;
#elif defined(T815_PROBE_X11)
    Display* display = nullptr;
    Window window = 0;
#endif
};

struct Probe {
    clap_plugin plugin;
    const clap_host* host;
    const clap_plugin_descriptor* descriptor;
    const clap_host_thread_check* threadCheck;
    const clap_host_log* log;
    const clap_host_timer_support* timers;
    const clap_host_posix_fd_support* fds;
    const clap_host_gui* hostGui;
    bool mono, preferMidi;
    bool active, processing, broken;
    std::uint32_t maxFrames;
    double level, steps;
    int key;
    int callbacks;
    bool callbackAsked;
    Gui gui;
};

Probe* probeOf(const clap_plugin* plugin) {
    return plugin ? static_cast<Probe*>(plugin->plugin_data) : nullptr;
}

template <typename Table> const Table* hostExtension(const clap_host* host, const char* id) {
    return host->get_extension ? static_cast<const Table*>(host->get_extension(host, id)) : nullptr;
}

void expectMainThread(Probe& probe) {
    if (probe.threadCheck && !probe.threadCheck->is_main_thread(probe.host)) probe.broken = true;
}

void expectAudioThread(Probe& probe) {
    if (probe.threadCheck && !probe.threadCheck->is_audio_thread(probe.host)) probe.broken = true;
}

void logLine(Probe& probe, clap_log_severity severity, const char* text) {
    if (probe.log) probe.log->log(probe.host, severity, text);
}

// ---- parameters ------------------------------------------------------------

void applyParameter(Probe& probe, clap_id id, double value) {
    if (!std::isfinite(value)) return;
    if (id == kLevel) probe.level = std::clamp(value, 0.0, 1.0);
    if (id == kSteps) probe.steps = std::clamp(std::trunc(value), 0.0, 4.0);
}

bool isCore(const clap_event_header* event, std::uint16_t type, std::size_t size) {
    return event->space_id == CLAP_CORE_EVENT_SPACE_ID && event->type == type &&
           event->size >= size;
}

void applyParameterEvents(Probe& probe, const clap_input_events* in) {
    if (!in) return;
    for (std::uint32_t i = 0, n = in->size(in); i < n; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (event && isCore(event, CLAP_EVENT_PARAM_VALUE, sizeof(clap_event_param_value))) {
            const auto* change = reinterpret_cast<const clap_event_param_value*>(event);
            applyParameter(probe, change->param_id, change->value);
        }
    }
}

std::uint32_t CLAP_CALL paramsCount(const clap_plugin*) {
    return 3;
}

bool CLAP_CALL paramsInfo(const clap_plugin* plugin, std::uint32_t index, clap_param_info* info) {
    Probe* probe = probeOf(plugin);
    if (!probe || !info || index >= 3) return false;
    expectMainThread(*probe);
    static const struct {
        clap_id id;
        const char* name;
        double min, max, def;
        std::uint32_t flags;
    } kParams[] = {
        {kLevel, "Level", 0.0, 1.0, 0.5, CLAP_PARAM_IS_AUTOMATABLE},
        {kSteps, "Steps", 0.0, 4.0, 2.0, CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED},
        {kCallbacks, "Callbacks", 0.0, 1e6, 0.0, CLAP_PARAM_IS_READONLY},
    };
    *info = clap_param_info{};
    info->id = kParams[index].id;
    info->flags = kParams[index].flags;
    std::snprintf(info->name, sizeof info->name, "%s", kParams[index].name);
    std::snprintf(info->module, sizeof info->module, "%s", index < 2 ? "Sound" : "Host");
    info->min_value = kParams[index].min;
    info->max_value = kParams[index].max;
    info->default_value = kParams[index].def;
    return true;
}

bool CLAP_CALL paramsValue(const clap_plugin* plugin, clap_id id, double* value) {
    Probe* probe = probeOf(plugin);
    if (!probe || !value) return false;
    expectMainThread(*probe);
    switch (id) {
    case kLevel:
        *value = probe->level;
        return true;
    case kSteps:
        *value = probe->steps;
        return true;
    case kCallbacks:
        *value = probe->callbacks;
        return true;
    default:
        return false;
    }
}

bool CLAP_CALL paramsValueToText(const clap_plugin* plugin, clap_id id, double value, char* text,
                                 std::uint32_t capacity) {
    Probe* probe = probeOf(plugin);
    if (!probe || !text || capacity == 0 || !std::isfinite(value)) return false;
    switch (id) {
    case kLevel:
        std::snprintf(text, capacity, "%.0f %%", value * 100.0);
        return true;
    case kSteps:
        std::snprintf(text, capacity, "%d steps", int(value));
        return true;
    case kCallbacks:
        std::snprintf(text, capacity, "%d", int(value));
        return true;
    default:
        return false;
    }
}

bool CLAP_CALL paramsTextToValue(const clap_plugin* plugin, clap_id id, const char* text,
                                 double* value) {
    if (!probeOf(plugin) || !text || !value || (id != kLevel && id != kSteps)) return false;
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    if (end == text || !std::isfinite(number)) return false;
    *value = id == kLevel ? number / 100.0 : number;
    return true;
}

void CLAP_CALL paramsFlush(const clap_plugin* plugin, const clap_input_events* in,
                           const clap_output_events*) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
    if (probe->active)
        expectAudioThread(*probe);
    else
        expectMainThread(*probe);
    applyParameterEvents(*probe, in);
}

const clap_plugin_params kParams = {paramsCount,       paramsInfo,        paramsValue,
                                    paramsValueToText, paramsTextToValue, paramsFlush};

// ---- state -----------------------------------------------------------------

bool CLAP_CALL stateSave(const clap_plugin* plugin, const clap_ostream* stream) {
    Probe* probe = probeOf(plugin);
    if (!probe || !stream) return false;
    expectMainThread(*probe);
    unsigned char bytes[kStateBytes];
    std::memcpy(bytes, kStateMagic, 16);
    std::memcpy(bytes + 16, &probe->level, sizeof(double));
    std::memcpy(bytes + 16 + sizeof(double), &probe->steps, sizeof(double));
    for (std::size_t written = 0; written < kStateBytes;) {
        const std::int64_t count = stream->write(stream, bytes + written, kStateBytes - written);
        if (count <= 0) return false;
        written += std::size_t(count);
    }
    return true;
}

bool CLAP_CALL stateLoad(const clap_plugin* plugin, const clap_istream* stream) {
    Probe* probe = probeOf(plugin);
    if (!probe || !stream) return false;
    expectMainThread(*probe);
    unsigned char bytes[kStateBytes + 1];
    std::size_t size = 0;
    for (;;) {
        const std::int64_t count = stream->read(stream, bytes + size, sizeof bytes - size);
        if (count < 0) return false;
        if (count == 0) break;
        size += std::size_t(count);
        if (size == sizeof bytes) break; // longer than any state of ours
    }
    double level = 0.0, steps = 0.0;
    if (size == kStateBytes && std::memcmp(bytes, kStateMagic, 16) == 0) {
        std::memcpy(&level, bytes + 16, sizeof(double));
        std::memcpy(&steps, bytes + 16 + sizeof(double), sizeof(double));
    }
    if (size != kStateBytes || std::memcmp(bytes, kStateMagic, 16) != 0 || !(level >= 0.0) ||
        !(level <= 1.0) || !(steps >= 0.0) || !(steps <= 4.0)) {
        logLine(*probe, CLAP_LOG_WARNING, "state rejected: not a state of this probe");
        return false;
    }
    probe->level = level;
    probe->steps = steps;
    return true;
}

const clap_plugin_state kState = {stateSave, stateLoad};

// ---- ports and latency -----------------------------------------------------

std::uint32_t CLAP_CALL audioPortsCount(const clap_plugin*, bool isInput) {
    return isInput ? 0 : 1;
}

bool CLAP_CALL audioPortsGet(const clap_plugin* plugin, std::uint32_t index, bool isInput,
                             clap_audio_port_info* info) {
    Probe* probe = probeOf(plugin);
    if (!probe || !info || isInput || index != 0) return false;
    *info = clap_audio_port_info{};
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "Main out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = probe->mono ? 1 : 2;
    info->port_type = probe->mono ? CLAP_PORT_MONO : CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports kAudioPorts = {audioPortsCount, audioPortsGet};

std::uint32_t CLAP_CALL notePortsCount(const clap_plugin*, bool isInput) {
    return isInput ? 1 : 0;
}

bool CLAP_CALL notePortsGet(const clap_plugin* plugin, std::uint32_t index, bool isInput,
                            clap_note_port_info* info) {
    Probe* probe = probeOf(plugin);
    if (!probe || !info || !isInput || index != 0) return false;
    *info = clap_note_port_info{};
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = probe->preferMidi ? CLAP_NOTE_DIALECT_MIDI : CLAP_NOTE_DIALECT_CLAP;
    std::snprintf(info->name, sizeof info->name, "Notes");
    return true;
}

const clap_plugin_note_ports kNotePorts = {notePortsCount, notePortsGet};

std::uint32_t CLAP_CALL latencyGet(const clap_plugin* plugin) {
    if (Probe* probe = probeOf(plugin)) expectMainThread(*probe);
    return kLatency;
}

const clap_plugin_latency kLatencyTable = {latencyGet};

// ---- gui -------------------------------------------------------------------

#if defined(_WIN32) || defined(T815_PROBE_X11)
#define PROBE_HAS_GUI 1

#ifdef _WIN32
const char* const kGuiApi = CLAP_WINDOW_API_WIN32;
const wchar_t kWindowClass[] = L"t815 CLAP probe panel";
bool classRegistered = false;

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

void fill(HDC dc, int x, int y, int w, int h, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT area{x, y, x + w, y + h};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Probe* probe = reinterpret_cast<Probe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && probe) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        fill(dc, 0, 0, int(probe->gui.width), int(probe->gui.height), RGB(40, 90, 160));
        if (probe->gui.ticks > 0) fill(dc, 10, 10, 20, 20, RGB(250, 200, 0));
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool openWindowSystem(Gui&) {
    if (!classRegistered) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = panelProc;
        windowClass.hInstance = thisModule();
        windowClass.lpszClassName = kWindowClass;
        classRegistered = RegisterClassExW(&windowClass) != 0;
    }
    return classRegistered;
}

void closeWindowSystem(Gui& gui) {
    if (gui.window) DestroyWindow(gui.window);
    gui.window = nullptr;
}

bool makeWindow(Probe& probe, const clap_window& parent) {
    probe.gui.window = CreateWindowExW(0, kWindowClass, L"", WS_CHILD, 0, 0, int(probe.gui.width),
                                       int(probe.gui.height), static_cast<HWND>(parent.win32),
                                       nullptr, thisModule(), nullptr);
    if (!probe.gui.window) return false;
    SetWindowLongPtrW(probe.gui.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));
    return true;
}

void showWindow(Gui& gui, bool shown) {
    if (gui.window) ShowWindow(gui.window, shown ? SW_SHOW : SW_HIDE);
}

void resizeWindow(Gui& gui) {
    if (gui.window)
        SetWindowPos(gui.window, nullptr, 0, 0, int(gui.width), int(gui.height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void paintMarker(Probe& probe) {
    if (probe.gui.window) InvalidateRect(probe.gui.window, nullptr, FALSE);
}

void handleWindowEvents(Probe&) {} // window messages come through the host's loop

#else
const char* const kGuiApi = CLAP_WINDOW_API_X11;

unsigned long colour(int red, int green, int blue) {
    return (unsigned long)(red) << 16 | (unsigned long)(green) << 8 | (unsigned long)(blue);
}

void fill(Gui& gui, int x, int y, int w, int h, unsigned long pixel) {
    GC gc = XCreateGC(gui.display, gui.window, 0, nullptr);
    XSetForeground(gui.display, gc, pixel);
    XFillRectangle(gui.display, gui.window, gc, x, y, unsigned(w), unsigned(h));
    XFreeGC(gui.display, gc);
}

void paintMarker(Probe& probe) {
    Gui& gui = probe.gui;
    if (!gui.window) return;
    fill(gui, 10, 10, 20, 20, colour(250, 200, 0));
    XFlush(gui.display);
}

// Only here, on the host's descriptor watch, is the panel painted.
void handleWindowEvents(Probe& probe) {
    Gui& gui = probe.gui;
    if (!gui.display) return;
    bool exposed = false;
    while (XPending(gui.display) > 0) {
        XEvent event;
        XNextEvent(gui.display, &event);
        exposed = exposed || event.type == Expose;
    }
    if (exposed && gui.window) {
        fill(gui, 0, 0, int(gui.width), int(gui.height), colour(40, 90, 160));
        if (gui.ticks > 0) paintMarker(probe);
        XFlush(gui.display);
    }
}

bool openWindowSystem(Gui& gui) {
    gui.display = XOpenDisplay(nullptr);
    return gui.display != nullptr;
}

void closeWindowSystem(Gui& gui) {
    if (gui.display) {
        if (gui.window) XDestroyWindow(gui.display, gui.window);
        XCloseDisplay(gui.display);
    }
    gui.display = nullptr;
    gui.window = 0;
}

bool makeWindow(Probe& probe, const clap_window& parent) {
    Gui& gui = probe.gui;
    // Black until the probe paints: the host's watch of the descriptor shows.
    gui.window =
        XCreateSimpleWindow(gui.display, Window(parent.x11), 0, 0, gui.width, gui.height, 0, 0, 0);
    XSelectInput(gui.display, gui.window, ExposureMask);
    XFlush(gui.display);
    return gui.window != 0;
}

void showWindow(Gui& gui, bool shown) {
    if (!gui.window) return;
    if (shown)
        XMapWindow(gui.display, gui.window);
    else
        XUnmapWindow(gui.display, gui.window);
    XFlush(gui.display);
}

void resizeWindow(Gui& gui) {
    if (gui.window) XResizeWindow(gui.display, gui.window, gui.width, gui.height);
    XFlush(gui.display);
}
#endif

bool CLAP_CALL guiIsApiSupported(const clap_plugin*, const char* api, bool floating) {
    return api && !floating && std::strcmp(api, kGuiApi) == 0;
}

bool CLAP_CALL guiPreferredApi(const clap_plugin*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = kGuiApi;
    *floating = false;
    return true;
}

void CLAP_CALL guiDestroy(const clap_plugin* plugin);

bool CLAP_CALL guiCreate(const clap_plugin* plugin, const char* api, bool floating) {
    Probe* probe = probeOf(plugin);
    if (!probe || probe->gui.created || !guiIsApiSupported(plugin, api, floating)) return false;
    expectMainThread(*probe);
    probe->gui = Gui{};
    if (!openWindowSystem(probe->gui)) return false;
    probe->gui.created = true;
    if (probe->timers) probe->timers->register_timer(probe->host, kTimerMs, &probe->gui.timer);
#ifdef T815_PROBE_X11
    if (probe->fds)
        probe->fds->register_fd(probe->host, ConnectionNumber(probe->gui.display),
                                CLAP_POSIX_FD_READ);
#endif
    return true;
}

void CLAP_CALL guiDestroy(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created) return;
    expectMainThread(*probe);
    if (probe->timers && probe->gui.timer != CLAP_INVALID_ID)
        probe->timers->unregister_timer(probe->host, probe->gui.timer);
#ifdef T815_PROBE_X11
    if (probe->fds) probe->fds->unregister_fd(probe->host, ConnectionNumber(probe->gui.display));
#endif
    closeWindowSystem(probe->gui);
    probe->gui = Gui{};
}

bool CLAP_CALL guiSetScale(const clap_plugin*, double scale) {
    return scale == 1.0;
}

bool CLAP_CALL guiGetSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created || !width || !height) return false;
    *width = probe->gui.width;
    *height = probe->gui.height;
    return true;
}

bool CLAP_CALL guiNo(const clap_plugin*) {
    return false;
}

bool CLAP_CALL guiNoHints(const clap_plugin*, clap_gui_resize_hints*) {
    return false;
}

bool CLAP_CALL guiNoAdjust(const clap_plugin*, std::uint32_t*, std::uint32_t*) {
    return false;
}

bool CLAP_CALL guiNoSetSize(const clap_plugin*, std::uint32_t, std::uint32_t) {
    return false;
}

bool CLAP_CALL guiSetParent(const clap_plugin* plugin, const clap_window* window) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created || !window || !window->api ||
        std::strcmp(window->api, kGuiApi) != 0)
        return false;
    expectMainThread(*probe);
    return makeWindow(*probe, *window);
}

bool CLAP_CALL guiNoTransient(const clap_plugin*, const clap_window*) {
    return false;
}

void CLAP_CALL guiSuggestTitle(const clap_plugin*, const char*) {}

bool CLAP_CALL guiShow(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created) return false;
    showWindow(probe->gui, true);
    return true;
}

bool CLAP_CALL guiHide(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created) return false;
    showWindow(probe->gui, false);
    return true;
}

const clap_plugin_gui kGui = {guiIsApiSupported, guiPreferredApi, guiCreate,    guiDestroy,
                              guiSetScale,       guiGetSize,      guiNo,        guiNoHints,
                              guiNoAdjust,       guiNoSetSize,    guiSetParent, guiNoTransient,
                              guiSuggestTitle,   guiShow,         guiHide};

void CLAP_CALL onTimer(const clap_plugin* plugin, clap_id timer) {
    Probe* probe = probeOf(plugin);
    if (!probe || !probe->gui.created || timer != probe->gui.timer) return;
    expectMainThread(*probe);
    if (++probe->gui.ticks == 1) {
        if (probe->hostGui &&
            probe->hostGui->request_resize(probe->host, kGrownWidth, kGrownHeight)) {
            probe->gui.width = kGrownWidth;
            probe->gui.height = kGrownHeight;
            resizeWindow(probe->gui);
        }
        paintMarker(*probe);
    }
}

const clap_plugin_timer_support kTimerSupport = {onTimer};

void CLAP_CALL onFd(const clap_plugin* plugin, int, clap_posix_fd_flags) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
    expectMainThread(*probe);
    handleWindowEvents(*probe);
}

const clap_plugin_posix_fd_support kPosixFdSupport = {onFd};
#endif

// ---- the plug-in -----------------------------------------------------------

bool CLAP_CALL init(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return false;
    const clap_host* host = probe->host;
    probe->threadCheck = hostExtension<clap_host_thread_check>(host, CLAP_EXT_THREAD_CHECK);
    probe->log = hostExtension<clap_host_log>(host, CLAP_EXT_LOG);
    probe->timers = hostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT);
    probe->fds = hostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT);
    probe->hostGui = hostExtension<clap_host_gui>(host, CLAP_EXT_GUI);
    expectMainThread(*probe);
    return true;
}

void CLAP_CALL destroy(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
#ifdef PROBE_HAS_GUI
    guiDestroy(plugin);
#endif
    delete probe;
}

bool CLAP_CALL activate(const clap_plugin* plugin, double rate, std::uint32_t minFrames,
                        std::uint32_t maxFrames) {
    Probe* probe = probeOf(plugin);
    if (!probe) return false;
    expectMainThread(*probe);
    if (probe->active || !(rate > 0.0) || minFrames < 1 || maxFrames < minFrames)
        probe->broken = true;
    probe->active = true;
    probe->maxFrames = maxFrames;
    return true;
}

void CLAP_CALL deactivate(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
    expectMainThread(*probe);
    if (!probe->active || probe->processing) probe->broken = true;
    probe->active = false;
}

bool CLAP_CALL startProcessing(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return false;
    expectAudioThread(*probe);
    if (!probe->active || probe->processing) probe->broken = true;
    probe->processing = true;
    return true;
}

void CLAP_CALL stopProcessing(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
    expectAudioThread(*probe);
    if (!probe->processing) probe->broken = true;
    probe->processing = false;
}

void CLAP_CALL reset(const clap_plugin* plugin) {
    if (Probe* probe = probeOf(plugin)) probe->key = -1;
}

void pushNoteEnd(const clap_process* process, std::uint32_t time, int key) {
    if (!process->out_events) return;
    clap_event_note end{};
    end.header = {sizeof end, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_END, 0};
    end.note_id = -1;
    end.port_index = 0;
    end.channel = -1;
    end.key = std::int16_t(key);
    process->out_events->try_push(process->out_events, &end.header);
}

// The first note asks for a main-thread callback, which on_main_thread counts.
void noteOn(Probe& probe, int key) {
    probe.key = key;
    if (!probe.callbackAsked) {
        probe.callbackAsked = true;
        probe.host->request_callback(probe.host);
    }
}

void applyEvent(Probe& probe, const clap_process* process, const clap_event_header* event) {
    if (event->space_id != CLAP_CORE_EVENT_SPACE_ID) return;
    const bool note = event->size >= sizeof(clap_event_note);
    if ((event->type == CLAP_EVENT_NOTE_ON) && note) {
        const auto* on = reinterpret_cast<const clap_event_note*>(event);
        if (on->key < 0 || on->key > 127 || on->channel < 0 || on->port_index < 0)
            probe.broken = true;
        else
            noteOn(probe, on->key);
    } else if ((event->type == CLAP_EVENT_NOTE_OFF || event->type == CLAP_EVENT_NOTE_CHOKE) &&
               note) {
        if (probe.key >= 0) pushNoteEnd(process, event->time, probe.key);
        probe.key = -1;
    } else if (isCore(event, CLAP_EVENT_MIDI, sizeof(clap_event_midi))) {
        const auto* midi = reinterpret_cast<const clap_event_midi*>(event);
        const int status = midi->data[0] & 0xF0;
        if (status == 0x90 && midi->data[2] > 0) {
            noteOn(probe, midi->data[1] & 0x7F);
        } else if (status == 0x80 || status == 0x90) {
            if (probe.key >= 0) pushNoteEnd(process, event->time, probe.key);
            probe.key = -1;
        }
    } else if (isCore(event, CLAP_EVENT_PARAM_VALUE, sizeof(clap_event_param_value))) {
        const auto* change = reinterpret_cast<const clap_event_param_value*>(event);
        applyParameter(probe, change->param_id, change->value);
    }
}

clap_process_status CLAP_CALL process(const clap_plugin* plugin, const clap_process* process) {
    Probe* probe = probeOf(plugin);
    if (!probe || !process) return CLAP_PROCESS_ERROR;
    expectAudioThread(*probe);
    const std::uint32_t frames = process->frames_count;
    if (!probe->processing || frames == 0 || frames > probe->maxFrames ||
        process->audio_outputs_count != 1 || !process->audio_outputs)
        probe->broken = true;
    if (!process->audio_outputs || process->audio_outputs_count < 1) return CLAP_PROCESS_ERROR;
    const clap_audio_buffer& output = process->audio_outputs[0];
    const std::uint32_t channels = probe->mono ? 1 : 2;
    if (output.channel_count != channels || !output.data32) return CLAP_PROCESS_ERROR;

    const clap_input_events* in = process->in_events;
    const std::uint32_t count = in ? in->size(in) : 0;
    std::uint32_t next = 0, lastTime = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (; next < count; ++next) {
            const clap_event_header* event = in->get(in, next);
            if (!event) {
                probe->broken = true;
                continue;
            }
            if (event->time > i) break;
            if (event->time < lastTime) probe->broken = true;
            lastTime = event->time;
            applyEvent(*probe, process, event);
        }
        output.data32[0][i] = probe->key < 0 ? 0.0f : float(probe->key) / 128.0f;
        if (channels == 2)
            output.data32[1][i] =
                probe->broken ? -1.0f : float(probe->steps * 0.125 + probe->level * 0.0625);
    }
    if (next < count) probe->broken = true; // an event at or beyond the block's end
    return CLAP_PROCESS_CONTINUE;
}

const void* CLAP_CALL getExtension(const clap_plugin*, const char* id) {
    if (!id) return nullptr;
    static const struct {
        const char* id;
        const void* table;
    } kTables[] = {
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
        {CLAP_EXT_LATENCY, &kLatencyTable},
#ifdef PROBE_HAS_GUI
        {CLAP_EXT_GUI, &kGui},
        {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport},
#ifndef _WIN32
        {CLAP_EXT_POSIX_FD_SUPPORT, &kPosixFdSupport},
#endif
#endif
    };
    for (const auto& known : kTables)
        if (std::strcmp(id, known.id) == 0) return known.table;
    return nullptr;
}

void CLAP_CALL onMainThread(const clap_plugin* plugin) {
    Probe* probe = probeOf(plugin);
    if (!probe) return;
    expectMainThread(*probe);
    ++probe->callbacks;
}

// ---- factory and entry -----------------------------------------------------

std::uint32_t CLAP_CALL pluginCount(const clap_plugin_factory*) {
    return mode == Mode::TwoPlugins ? 2 : 1;
}

const clap_plugin_descriptor* CLAP_CALL pluginDescriptor(const clap_plugin_factory* factory,
                                                         std::uint32_t index) {
    return index < pluginCount(factory) ? &kDescriptors[index] : nullptr;
}

const clap_plugin* CLAP_CALL createPlugin(const clap_plugin_factory* factory, const clap_host* host,
                                          const char* id) {
    if (!host || !id || !clap_version_is_compatible(host->clap_version)) return nullptr;
    for (std::uint32_t i = 0; i < pluginCount(factory); ++i) {
        if (std::strcmp(id, kDescriptors[i].id) != 0) continue;
        Probe* probe = new (std::nothrow) Probe{};
        if (!probe) return nullptr;
        probe->plugin = {&kDescriptors[i], probe,           init,           destroy, activate,
                         deactivate,       startProcessing, stopProcessing, reset,   process,
                         getExtension,     onMainThread};
        probe->host = host;
        probe->descriptor = &kDescriptors[i];
        probe->mono = i == 1;
        probe->preferMidi = i == 1;
        probe->level = 0.5;
        probe->steps = 2.0;
        probe->key = -1;
        return &probe->plugin;
    }
    return nullptr;
}

const clap_plugin_factory kFactory = {pluginCount, pluginDescriptor, createPlugin};

bool CLAP_CALL entryInit(const char* path) {
    if (!path) return false;
    if (entryCount++ == 0) {
        const char* chosen = std::getenv("T815_CLAP_PROBE");
        mode = !chosen                                   ? Mode::Plain
               : std::strcmp(chosen, "two-plugins") == 0 ? Mode::TwoPlugins
               : std::strcmp(chosen, "entry-fails") == 0 ? Mode::EntryFails
                                                         : Mode::Plain;
    }
    if (mode == Mode::EntryFails) {
        --entryCount;
        return false;
    }
    return true;
}

void CLAP_CALL entryDeinit() {
    if (entryCount > 0 && --entryCount == 0) {
#ifdef _WIN32
        if (classRegistered) UnregisterClassW(kWindowClass, thisModule());
        classRegistered = false;
#endif
    }
}

const void* CLAP_CALL entryFactory(const char* id) {
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

PROBE_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit,
                                                   entryFactory};
