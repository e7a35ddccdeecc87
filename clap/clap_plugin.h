// The CLAP face of one instance: the clap_plugin record handed to the host,
// the host's tables the face uses, what it last reported to the host, and
// the panel's window state, around the format-free instance they present.
// One allocation holds all of it.
#pragma once

#include "clap_abi.h"
#include "instrument_facts.h"
#include "plugin_instance.h"

#include <atomic>
#include <cstdint>

namespace t815 {

// Parameter ids as the host sees them: the five settings by their index,
// then the selected program.
constexpr clap_id kClapProgramParam = kPluginParameterCount;
constexpr std::uint32_t kClapParamCount = kPluginParameterCount + 1;

struct ClapPlugin {
    clap_plugin plugin; // the record the host holds; plugin_data points here
    const clap_host* host;
    const clap_host_params* hostParams;        // null when the host lacks them
    const clap_host_timer_support* hostTimers; // null when the host lacks them
    const clap_host_posix_fd_support* hostFds; // null when the host lacks them
    const clap_host_gui* hostGui;              // null when the host lacks it

    // Parameter values of the fresh instance.
    double defaultValues[kClapParamCount];
    // Parameter values as the host last heard of them (its own changes, and
    // those reported as output events); touched only by process and flush,
    // which never overlap.
    double reportedValues[kClapParamCount];
    // Drags of the panel's knobs begun and ended since they were last
    // reported: bit i for parameter id i. Set on the panel's thread.
    std::atomic<std::uint32_t> gesturesBegun;
    std::atomic<std::uint32_t> gesturesEnded;

    // The panel (main thread only).
    bool guiCreated;
    bool guiShown;
    clap_window parentWindow; // api null until set_parent
    bool timerRegistered;
    clap_id timerId;
    int watchedFd; // the panel's descriptor the host watches; -1: none

    PluginInstance instance;
};

// Allocates and constructs the face and its instance; null when memory runs
// out. Never throws.
ClapPlugin* createClapPlugin(const clap_host* host) noexcept;

// The face behind a host's record; null for a null record.
inline ClapPlugin* clapPluginOf(const clap_plugin* plugin) {
    return plugin ? static_cast<ClapPlugin*>(plugin->plugin_data) : nullptr;
}

// The parameter's value as the host reads it (the program's index for the
// program); 0 for an unknown id.
double clapParameterValue(const PluginInstance& instance, clap_id id);

} // namespace t815
