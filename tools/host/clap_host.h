// The host as a CLAP plug-in sees it: the clap_host record with the host's
// identity and callbacks, and the host's extension tables (parameters, gui,
// timers, file descriptors, thread check, log, state, latency, note ports).
// The record only takes note of what the plug-in asks for: main-thread
// callbacks, restarts, parameter rescans and flushes, resize requests,
// timers and descriptors to watch, log messages. The instance's main-thread
// service honours them. Calls allowed from any thread touch only atomics and
// the mutex of the message list; calls reserved to the main thread are
// refused (and noted) from any other.
#pragma once

#include "clap_abi.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ClapTimer {
    clap_id id = CLAP_INVALID_ID;
    std::uint32_t periodMs = 0;
    std::chrono::steady_clock::time_point due;
};

struct ClapWatchedFd {
    int fd = -1;
    clap_posix_fd_flags flags = 0;
};

// A message of the plug-in's log, or a misuse of the host the host noticed
// (severity CLAP_LOG_PLUGIN_MISBEHAVING, text starting with "host: ").
struct PluginMessage {
    clap_log_severity severity = CLAP_LOG_INFO;
    std::string text;
};

struct ClapHost {
    clap_host record{}; // what the plug-in holds; host_data points back here

    std::thread::id mainThread;                 // the thread that made the host
    std::atomic<bool> audioCallActive{false};   // inside start/stop_processing, process, reset
    std::atomic<std::thread::id> audioThread{}; // the thread of that call
    std::atomic<bool> activating{false};        // inside activate
    std::atomic<bool> guiCreated{false};        // the host made the plug-in's gui

    // Requests from any thread, taken by the main-thread service.
    std::atomic<bool> callbackRequested{false};
    std::atomic<bool> restartRequested{false};
    std::atomic<bool> flushRequested{false};
    std::atomic<std::uint32_t> paramRescanFlags{0};
    std::atomic<std::uint32_t> notePortRescanFlags{0};
    std::atomic<bool> resizeRequested{false};
    std::atomic<std::uint32_t> requestedWidth{0}, requestedHeight{0};
    std::atomic<bool> guiClosedByPlugin{false};
    std::atomic<bool> guiDestroyedByPlugin{false};

    // How often the plug-in called what the host only counts.
    std::atomic<long> processRequests{0};
    std::atomic<long> markDirtyCalls{0};
    std::atomic<long> latencyChangedCalls{0};
    std::atomic<long> resizeHintChanges{0};
    std::atomic<long> paramClears{0};

    // Main thread only.
    std::vector<ClapTimer> timers;
    clap_id nextTimerId = 1;
    std::vector<ClapWatchedFd> watchedFds;

    std::mutex messageMutex; // guards the two lists below
    std::vector<PluginMessage> messages;
    long droppedMessages = 0;
    std::vector<std::string> queriedExtensions; // ids the plug-in asked the host for, once each
};

constexpr const char* kClapHostName = "t815 host tools";

// Fills the record; the calling thread becomes the main thread.
void initClapHost(ClapHost& host);

bool isMainThread(const ClapHost& host);

// Brackets a call into the plug-in on its audio thread.
void beginAudioCall(ClapHost& host);
void endAudioCall(ClapHost& host);

// Adds a message (bounded: beyond a limit they are counted, not kept).
void addPluginMessage(ClapHost& host, clap_log_severity severity, const std::string& text);

// The messages gathered so far, which are then forgotten.
std::vector<PluginMessage> takePluginMessages(ClapHost& host);
