// The gui extension: the panel embedded in the host's window (Win32 or X11,
// never floating), at the size of its scale: the host's (set_scale), else
// the display's. The host does not resize it; a new scale while the panel is
// open (the host's, or the display's as it changes) resizes it and asks the
// host to follow. Where the window system gives the panel
// no thread of its own (X11), the host's timer is its idle call: CLAP hosts
// make no other. A host without timers that watches file descriptors gets
// the panel's X connection to watch instead (then the panel repaints for
// changes from elsewhere, MIDI notes say, only with its next window event). Hiding closes the
// panel; showing opens it again in the same parent.
#include "clap_extensions.h"

#include "panel_editor.h"

#include <cstring>

namespace t815 {

namespace {

#ifdef _WIN32
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
constexpr bool kNeedsIdleTimer = false; // the window procedure drives the panel
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
constexpr bool kNeedsIdleTimer = true;
#endif
constexpr std::uint32_t kIdlePeriodMs = 30;

bool isOurApi(const char* api, bool floating) {
    return api && !floating && std::strcmp(api, kWindowApi) == 0;
}

void* parentHandle(const clap_window& window) {
#ifdef _WIN32
    return window.win32;
#else
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.x11));
#endif
}

bool panelOpen(const ClapPlugin& face) {
    return face.instance.editorWindow.load() != nullptr;
}

void startIdleTimer(ClapPlugin& face) {
    if (!kNeedsIdleTimer || face.timerRegistered || !face.hostTimers) return;
    face.timerRegistered = face.hostTimers->register_timer(face.host, kIdlePeriodMs, &face.timerId);
}

// Without a host timer, the open panel's descriptor for the host to watch.
void watchPanelDescriptor(ClapPlugin& face) {
    if (face.timerRegistered || !face.hostFds || face.watchedFd != -1) return;
    const int fd = editorEventDescriptor(face.instance);
    if (fd != -1 &&
        face.hostFds->register_fd(face.host, fd, CLAP_POSIX_FD_READ | CLAP_POSIX_FD_ERROR))
        face.watchedFd = fd;
    // Opening read the window's first events already: the descriptor will
    // not show them, so they are handled now.
    if (face.watchedFd != -1) idleEditor(face.instance);
}

void unwatchPanelDescriptor(ClapPlugin& face) {
    if (face.watchedFd != -1) face.hostFds->unregister_fd(face.host, face.watchedFd);
    face.watchedFd = -1;
}

bool CLAP_CALL guiApiSupported(const clap_plugin*, const char* api, bool floating) {
    return isOurApi(api, floating);
}

bool CLAP_CALL guiPreferredApi(const clap_plugin*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = kWindowApi;
    *floating = false;
    return true;
}

bool CLAP_CALL guiCreate(const clap_plugin* plugin, const char* api, bool floating) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !isOurApi(api, floating)) return false;
    destroyClapGui(*face); // a second create starts afresh
    face->guiCreated = true;
    startIdleTimer(*face);
    return true;
}

void CLAP_CALL guiDestroy(const clap_plugin* plugin) {
    if (ClapPlugin* face = clapPluginOf(plugin)) destroyClapGui(*face);
}

bool CLAP_CALL guiSetScale(const clap_plugin* plugin, double scale) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face) return false;
    const PanelSize before = editorSize(face->instance);
    if (!setEditorScale(face->instance, scale)) return false;
    const PanelSize after = editorSize(face->instance);
    if (after.width != before.width || after.height != before.height) requestGuiResize(*face);
    return true;
}

bool CLAP_CALL guiSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !width || !height) return false;
    const PanelSize size = editorSize(face->instance);
    *width = std::uint32_t(size.width);
    *height = std::uint32_t(size.height);
    return true;
}

bool CLAP_CALL guiCanResize(const clap_plugin*) {
    return false;
}

bool CLAP_CALL guiResizeHints(const clap_plugin*, clap_gui_resize_hints*) {
    return false;
}

bool CLAP_CALL guiAdjustSize(const clap_plugin* plugin, std::uint32_t* width,
                             std::uint32_t* height) {
    return guiSize(plugin, width, height);
}

bool CLAP_CALL guiSetSize(const clap_plugin* plugin, std::uint32_t width, std::uint32_t height) {
    std::uint32_t ownWidth = 0, ownHeight = 0;
    return guiSize(plugin, &ownWidth, &ownHeight) && width == ownWidth && height == ownHeight;
}

bool CLAP_CALL guiSetParent(const clap_plugin* plugin, const clap_window* window) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !face->guiCreated || !window || !isOurApi(window->api, false) ||
        !parentHandle(*window))
        return false;
    face->parentWindow = *window;
    startIdleTimer(*face);
    face->guiShown = openEditor(face->instance, parentHandle(*window));
    unwatchPanelDescriptor(*face); // a new panel, a new connection
    watchPanelDescriptor(*face);
    return face->guiShown;
}

bool CLAP_CALL guiSetTransient(const clap_plugin*, const clap_window*) {
    return false; // never floating
}

void CLAP_CALL guiSuggestTitle(const clap_plugin*, const char*) {}

bool CLAP_CALL guiShow(const clap_plugin* plugin) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !face->guiCreated || !face->parentWindow.api) return false;
    if (!panelOpen(*face)) openEditor(face->instance, parentHandle(face->parentWindow));
    face->guiShown = panelOpen(*face);
    watchPanelDescriptor(*face);
    return face->guiShown;
}

bool CLAP_CALL guiHide(const clap_plugin* plugin) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !face->guiCreated) return false;
    unwatchPanelDescriptor(*face);
    closeEditor(face->instance);
    face->guiShown = false;
    return true;
}

void CLAP_CALL timerFired(const clap_plugin* plugin, clap_id timerId) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (face && face->timerRegistered && timerId == face->timerId) idleEditor(face->instance);
}

void CLAP_CALL descriptorReady(const clap_plugin* plugin, int fd, clap_posix_fd_flags) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (face && fd != -1 && fd == face->watchedFd) idleEditor(face->instance);
}

} // namespace

void requestGuiResize(ClapPlugin& face) {
    if (!panelOpen(face) || !face.hostGui) return;
    const PanelSize size = editorSize(face.instance);
    face.hostGui->request_resize(face.host, std::uint32_t(size.width), std::uint32_t(size.height));
}

void destroyClapGui(ClapPlugin& face) {
    unwatchPanelDescriptor(face);
    closeEditor(face.instance);
    if (face.timerRegistered) face.hostTimers->unregister_timer(face.host, face.timerId);
    face.timerRegistered = false;
    face.guiCreated = false;
    face.guiShown = false;
    face.parentWindow = {};
}

const clap_plugin_gui kClapGui = {guiApiSupported, guiPreferredApi, guiCreate,    guiDestroy,
                                  guiSetScale,     guiSize,         guiCanResize, guiResizeHints,
                                  guiAdjustSize,   guiSetSize,      guiSetParent, guiSetTransient,
                                  guiSuggestTitle, guiShow,         guiHide};

const clap_plugin_timer_support kClapTimerSupport = {timerFired};
const clap_plugin_posix_fd_support kClapPosixFdSupport = {descriptorReady};

} // namespace t815
