// The host's callbacks and extension tables as the plug-in calls them.
#include "clap_host.h"

#include <algorithm>
#include <cstring>

namespace {

// Shorter timer periods are stretched to this; a 30 Hz period is granted.
constexpr std::uint32_t kMinTimerMs = 10;
constexpr std::size_t kMaxTimers = 256;
constexpr std::size_t kMaxWatchedFds = 256;
constexpr std::size_t kMaxMessages = 1000;
constexpr std::size_t kMaxQueriedExtensions = 64;
constexpr std::uint32_t kMaxRequestedSide = 16384;

ClapHost* hostOf(const clap_host* host) {
    return host ? static_cast<ClapHost*>(host->host_data) : nullptr;
}

// A main-thread-only call from elsewhere: noted, and refused by the caller.
bool onMainThreadOrNoted(ClapHost& host, const char* call) {
    if (isMainThread(host)) return true;
    addPluginMessage(host, CLAP_LOG_PLUGIN_MISBEHAVING,
                     std::string("host: ") + call +
                         " called from a thread other than the main one");
    return false;
}

bool isAudioThread(const ClapHost& host) {
    return host.audioCallActive.load() && host.audioThread.load() == std::this_thread::get_id();
}

// ---- clap_host ----------------------------------------------------------

const void* CLAP_CALL getExtension(const clap_host* record, const char* id);

void CLAP_CALL requestRestart(const clap_host* record) {
    if (ClapHost* host = hostOf(record)) host->restartRequested = true;
}

void CLAP_CALL requestProcess(const clap_host* record) {
    if (ClapHost* host = hostOf(record)) ++host->processRequests;
}

void CLAP_CALL requestCallback(const clap_host* record) {
    if (ClapHost* host = hostOf(record)) host->callbackRequested = true;
}

// ---- clap.params --------------------------------------------------------

void CLAP_CALL paramsRescan(const clap_host* record, clap_param_rescan_flags flags) {
    ClapHost* host = hostOf(record);
    if (host && onMainThreadOrNoted(*host, "params rescan")) host->paramRescanFlags |= flags;
}

void CLAP_CALL paramsClear(const clap_host* record, clap_id, clap_param_clear_flags) {
    ClapHost* host = hostOf(record);
    if (host && onMainThreadOrNoted(*host, "params clear")) ++host->paramClears;
}

void CLAP_CALL paramsRequestFlush(const clap_host* record) {
    ClapHost* host = hostOf(record);
    if (!host) return;
    if (isAudioThread(*host))
        addPluginMessage(*host, CLAP_LOG_PLUGIN_MISBEHAVING,
                         "host: params request_flush called from the audio thread");
    host->flushRequested = true;
}

const clap_host_params kParams = {paramsRescan, paramsClear, paramsRequestFlush};

// ---- clap.gui -----------------------------------------------------------

void CLAP_CALL guiResizeHintsChanged(const clap_host* record) {
    if (ClapHost* host = hostOf(record)) ++host->resizeHintChanges;
}

bool CLAP_CALL guiRequestResize(const clap_host* record, std::uint32_t width,
                                std::uint32_t height) {
    ClapHost* host = hostOf(record);
    if (!host || !host->guiCreated || width == 0 || height == 0 || width > kMaxRequestedSide ||
        height > kMaxRequestedSide)
        return false;
    host->requestedWidth = width;
    host->requestedHeight = height;
    host->resizeRequested = true;
    return true;
}

bool CLAP_CALL guiRequestShow(const clap_host* record) {
    ClapHost* host = hostOf(record);
    return host && host->guiCreated;
}

bool CLAP_CALL guiRequestHide(const clap_host* record) {
    ClapHost* host = hostOf(record);
    return host && host->guiCreated;
}

void CLAP_CALL guiClosed(const clap_host* record, bool wasDestroyed) {
    ClapHost* host = hostOf(record);
    if (!host) return;
    host->guiClosedByPlugin = true;
    if (wasDestroyed) host->guiDestroyedByPlugin = true;
}

const clap_host_gui kGui = {guiResizeHintsChanged, guiRequestResize, guiRequestShow, guiRequestHide,
                            guiClosed};

// ---- clap.timer-support -------------------------------------------------

bool CLAP_CALL registerTimer(const clap_host* record, std::uint32_t periodMs, clap_id* timerId) {
    ClapHost* host = hostOf(record);
    if (!host || !onMainThreadOrNoted(*host, "register_timer")) return false;
    if (timerId == nullptr) {
        addPluginMessage(*host, CLAP_LOG_PLUGIN_MISBEHAVING,
                         "host: register_timer without a place for the timer's id");
        return false;
    }
    if (host->timers.size() >= kMaxTimers) return false;
    ClapTimer timer;
    timer.id = host->nextTimerId++;
    if (host->nextTimerId == CLAP_INVALID_ID) host->nextTimerId = 1;
    timer.periodMs = std::max(periodMs, kMinTimerMs);
    timer.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(timer.periodMs);
    host->timers.push_back(timer);
    *timerId = timer.id;
    return true;
}

bool CLAP_CALL unregisterTimer(const clap_host* record, clap_id timerId) {
    ClapHost* host = hostOf(record);
    if (!host || !onMainThreadOrNoted(*host, "unregister_timer")) return false;
    const auto found = std::find_if(host->timers.begin(), host->timers.end(),
                                    [&](const ClapTimer& timer) { return timer.id == timerId; });
    if (found == host->timers.end()) return false;
    host->timers.erase(found);
    return true;
}

const clap_host_timer_support kTimerSupport = {registerTimer, unregisterTimer};

// ---- clap.posix-fd-support ----------------------------------------------

constexpr clap_posix_fd_flags kAllFdFlags =
    CLAP_POSIX_FD_READ | CLAP_POSIX_FD_WRITE | CLAP_POSIX_FD_ERROR;

std::vector<ClapWatchedFd>::iterator findFd(ClapHost& host, int fd) {
    return std::find_if(host.watchedFds.begin(), host.watchedFds.end(),
                        [&](const ClapWatchedFd& watched) { return watched.fd == fd; });
}

bool CLAP_CALL registerFd(const clap_host* record, int fd, clap_posix_fd_flags flags) {
    ClapHost* host = hostOf(record);
    if (!host || !onMainThreadOrNoted(*host, "register_fd")) return false;
    if (fd < 0 || (flags & ~kAllFdFlags) != 0 || findFd(*host, fd) != host->watchedFds.end() ||
        host->watchedFds.size() >= kMaxWatchedFds)
        return false;
    host->watchedFds.push_back({fd, flags});
    return true;
}

bool CLAP_CALL modifyFd(const clap_host* record, int fd, clap_posix_fd_flags flags) {
    ClapHost* host = hostOf(record);
    if (!host || !onMainThreadOrNoted(*host, "modify_fd")) return false;
    const auto found = findFd(*host, fd);
    if (found == host->watchedFds.end() || (flags & ~kAllFdFlags) != 0) return false;
    found->flags = flags;
    return true;
}

bool CLAP_CALL unregisterFd(const clap_host* record, int fd) {
    ClapHost* host = hostOf(record);
    if (!host || !onMainThreadOrNoted(*host, "unregister_fd")) return false;
    const auto found = findFd(*host, fd);
    if (found == host->watchedFds.end()) return false;
    host->watchedFds.erase(found);
    return true;
}

const clap_host_posix_fd_support kPosixFdSupport = {registerFd, modifyFd, unregisterFd};

// ---- clap.thread-check, clap.log, clap.state, clap.latency, clap.note-ports

bool CLAP_CALL threadIsMain(const clap_host* record) {
    ClapHost* host = hostOf(record);
    return host && isMainThread(*host);
}

bool CLAP_CALL threadIsAudio(const clap_host* record) {
    ClapHost* host = hostOf(record);
    return host && isAudioThread(*host);
}

const clap_host_thread_check kThreadCheck = {threadIsMain, threadIsAudio};

void CLAP_CALL logMessage(const clap_host* record, clap_log_severity severity, const char* text) {
    if (ClapHost* host = hostOf(record))
        addPluginMessage(*host, severity, text ? std::string(text, strnlen(text, 4096)) : "(null)");
}

const clap_host_log kLog = {logMessage};

void CLAP_CALL stateMarkDirty(const clap_host* record) {
    ClapHost* host = hostOf(record);
    if (host && onMainThreadOrNoted(*host, "state mark_dirty")) ++host->markDirtyCalls;
}

const clap_host_state kState = {stateMarkDirty};

void CLAP_CALL latencyChanged(const clap_host* record) {
    ClapHost* host = hostOf(record);
    if (!host) return;
    if (!host->activating)
        addPluginMessage(*host, CLAP_LOG_PLUGIN_MISBEHAVING,
                         "host: latency changed outside activate");
    ++host->latencyChangedCalls;
}

const clap_host_latency kLatency = {latencyChanged};

std::uint32_t CLAP_CALL notePortsDialects(const clap_host*) {
    return CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
}

void CLAP_CALL notePortsRescan(const clap_host* record, std::uint32_t flags) {
    ClapHost* host = hostOf(record);
    if (host && onMainThreadOrNoted(*host, "note ports rescan")) host->notePortRescanFlags |= flags;
}

const clap_host_note_ports kNotePorts = {notePortsDialects, notePortsRescan};

void rememberQuery(ClapHost& host, const char* id) {
    const std::string name(id, strnlen(id, 128));
    std::lock_guard<std::mutex> lock(host.messageMutex);
    if (host.queriedExtensions.size() < kMaxQueriedExtensions &&
        std::find(host.queriedExtensions.begin(), host.queriedExtensions.end(), name) ==
            host.queriedExtensions.end())
        host.queriedExtensions.push_back(name);
}

const void* CLAP_CALL getExtension(const clap_host* record, const char* id) {
    ClapHost* host = hostOf(record);
    if (!host || !id) return nullptr;
    rememberQuery(*host, id);
    static const struct {
        const char* id;
        const void* table;
    } kTables[] = {
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_GUI, &kGui},
        {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport},
#ifndef _WIN32 // descriptors to poll exist on POSIX systems only
        {CLAP_EXT_POSIX_FD_SUPPORT, &kPosixFdSupport},
#endif
        {CLAP_EXT_THREAD_CHECK, &kThreadCheck},
        {CLAP_EXT_LOG, &kLog},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
    };
    for (const auto& known : kTables)
        if (std::strcmp(id, known.id) == 0) return known.table;
    return nullptr;
}

} // namespace

void initClapHost(ClapHost& host) {
    host.record.clap_version = CLAP_VERSION_INIT;
    host.record.host_data = &host;
    host.record.name = kClapHostName;
    host.record.vendor = "T-815 Project";
    host.record.url = "";
    host.record.version = "1.0";
    host.record.get_extension = getExtension;
    host.record.request_restart = requestRestart;
    host.record.request_process = requestProcess;
    host.record.request_callback = requestCallback;
    host.mainThread = std::this_thread::get_id();
}

bool isMainThread(const ClapHost& host) {
    return std::this_thread::get_id() == host.mainThread && !isAudioThread(host);
}

void beginAudioCall(ClapHost& host) {
    host.audioThread = std::this_thread::get_id();
    host.audioCallActive = true;
}

void endAudioCall(ClapHost& host) {
    host.audioCallActive = false;
}

void addPluginMessage(ClapHost& host, clap_log_severity severity, const std::string& text) {
    std::lock_guard<std::mutex> lock(host.messageMutex);
    if (host.messages.size() < kMaxMessages)
        host.messages.push_back({severity, text});
    else
        ++host.droppedMessages;
}

std::vector<PluginMessage> takePluginMessages(ClapHost& host) {
    std::lock_guard<std::mutex> lock(host.messageMutex);
    std::vector<PluginMessage> taken;
    taken.swap(host.messages);
    return taken;
}
