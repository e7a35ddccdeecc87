// The CLAP side of the host tools' plug-in interface.
#include "clap_instance.h"

#include "clap_streams.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#ifndef _WIN32
#include <poll.h>
#endif

namespace {

// Bounds beyond which a plug-in's ports are taken for broken.
constexpr std::uint32_t kMaxPorts = 16;
constexpr std::uint32_t kMaxPortChannels = 64;
constexpr std::uint32_t kMaxParameters = 100000;
constexpr int kMaxGuiSide = 8192;
// Events queued per block unless the caller reserves more.
constexpr std::size_t kDefaultEventCapacity = 1024;

std::string text(const char* value) {
    return value ? std::string(value) : std::string();
}

std::string boundedText(const char* value, std::size_t capacity) {
    return std::string(value, strnlen(value, capacity));
}

std::string describe(const clap_plugin_descriptor* descriptor) {
    if (!descriptor) return "(no descriptor)";
    return text(descriptor->id) + " (" + text(descriptor->name) + ")";
}

// Every plug-in id of the factory, for messages.
std::string pluginList(const clap_plugin_factory* factory, std::uint32_t count) {
    std::string list;
    for (std::uint32_t i = 0; i < count; ++i)
        list += (i ? ", " : "") + describe(factory->get_plugin_descriptor(factory, i));
    return list;
}

bool recordComplete(const clap_plugin* plugin) {
    return plugin->init && plugin->destroy && plugin->activate && plugin->deactivate &&
           plugin->start_processing && plugin->stop_processing && plugin->reset &&
           plugin->process && plugin->get_extension && plugin->on_main_thread;
}

template <typename Table> const Table* extension(const clap_plugin* plugin, const char* id) {
    return static_cast<const Table*>(plugin->get_extension(plugin, id));
}

void queryExtensions(ClapInstance& clap) {
    const clap_plugin* plugin = clap.plugin;
    ClapExtensions& found = clap.extensions;
    found.params = extension<clap_plugin_params>(plugin, CLAP_EXT_PARAMS);
    found.state = extension<clap_plugin_state>(plugin, CLAP_EXT_STATE);
    found.audioPorts = extension<clap_plugin_audio_ports>(plugin, CLAP_EXT_AUDIO_PORTS);
    found.notePorts = extension<clap_plugin_note_ports>(plugin, CLAP_EXT_NOTE_PORTS);
    found.gui = extension<clap_plugin_gui>(plugin, CLAP_EXT_GUI);
    found.latency = extension<clap_plugin_latency>(plugin, CLAP_EXT_LATENCY);
    found.timerSupport = extension<clap_plugin_timer_support>(plugin, CLAP_EXT_TIMER_SUPPORT);
    found.posixFdSupport =
        extension<clap_plugin_posix_fd_support>(plugin, CLAP_EXT_POSIX_FD_SUPPORT);
    // A table with a null entry is as good as none.
    if (found.params &&
        !(found.params->count && found.params->get_info && found.params->get_value &&
          found.params->value_to_text && found.params->text_to_value && found.params->flush))
        found.params = nullptr;
    if (found.state && !(found.state->save && found.state->load)) found.state = nullptr;
    if (found.audioPorts && !(found.audioPorts->count && found.audioPorts->get))
        found.audioPorts = nullptr;
    if (found.notePorts && !(found.notePorts->count && found.notePorts->get))
        found.notePorts = nullptr;
    if (found.latency && !found.latency->get) found.latency = nullptr;
    if (found.timerSupport && !found.timerSupport->on_timer) found.timerSupport = nullptr;
    if (found.posixFdSupport && !found.posixFdSupport->on_fd) found.posixFdSupport = nullptr;
    const clap_plugin_gui* gui = found.gui;
    if (gui && !(gui->is_api_supported && gui->create && gui->destroy && gui->set_scale &&
                 gui->get_size && gui->set_parent && gui->show && gui->hide))
        found.gui = nullptr;
}

bool scanAudioPorts(ClapInstance& clap, bool isInput, std::string& error) {
    std::vector<ClapAudioPort>& ports = isInput ? clap.audioInputs : clap.audioOutputs;
    ports.clear();
    const clap_plugin_audio_ports* table = clap.extensions.audioPorts;
    if (!table) return true;
    const std::uint32_t count = table->count(clap.plugin, isInput);
    if (count > kMaxPorts) {
        error = "the plug-in declares " + std::to_string(count) + " audio " +
                (isInput ? "input" : "output") + " ports (at most " + std::to_string(kMaxPorts) +
                " supported)";
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        clap_audio_port_info info{};
        if (!table->get(clap.plugin, i, isInput, &info) || info.channel_count == 0 ||
            info.channel_count > kMaxPortChannels) {
            error = std::string("the plug-in's audio ") + (isInput ? "input" : "output") +
                    " port " + std::to_string(i) + " gives no usable description";
            return false;
        }
        ports.push_back({info.id, boundedText(info.name, CLAP_NAME_SIZE), info.flags,
                         info.channel_count, text(info.port_type)});
    }
    return true;
}

void scanNotePorts(ClapInstance& clap) {
    clap.noteInputs.clear();
    const clap_plugin_note_ports* table = clap.extensions.notePorts;
    if (!table) return;
    const std::uint32_t count = std::min(table->count(clap.plugin, true), kMaxPorts);
    for (std::uint32_t i = 0; i < count; ++i) {
        clap_note_port_info info{};
        if (table->get(clap.plugin, i, true, &info))
            clap.noteInputs.push_back({info.id, boundedText(info.name, CLAP_NAME_SIZE),
                                       info.supported_dialects, info.preferred_dialect});
    }
}

// Buffers for every channel of every port; the audio buffer records point
// into them.
void allocateAudio(ClapInstance& clap) {
    std::size_t channelCount = 0;
    for (const auto* ports : {&clap.audioInputs, &clap.audioOutputs})
        for (const ClapAudioPort& port : *ports)
            channelCount += port.channels;
    const std::size_t frames = clap.maxFrames;
    clap.samples.assign(channelCount * frames, 0.0f);
    clap.channels.resize(channelCount);
    for (std::size_t c = 0; c < channelCount; ++c)
        clap.channels[c] = &clap.samples[c * frames];
    std::size_t next = 0;
    for (auto [ports, buffers] : {std::make_pair(&clap.audioInputs, &clap.inputBuffers),
                                  std::make_pair(&clap.audioOutputs, &clap.outputBuffers)}) {
        buffers->clear();
        for (const ClapAudioPort& port : *ports) {
            clap_audio_buffer buffer{};
            buffer.data32 = &clap.channels[next];
            buffer.channel_count = port.channels;
            buffers->push_back(buffer);
            next += port.channels;
        }
    }
}

void zeroAudio(ClapInstance& clap, std::uint32_t frames) {
    for (float* channel : clap.channels)
        std::fill(channel, channel + frames, 0.0f);
    for (clap_audio_buffer& buffer : clap.outputBuffers)
        buffer.constant_mask = 0;
}

clap_event_header headerOf(std::uint32_t size, std::uint32_t time, std::uint16_t type) {
    clap_event_header header{};
    header.size = size;
    header.time = time;
    header.space_id = CLAP_CORE_EVENT_SPACE_ID;
    header.type = type;
    return header;
}

clap_event_param_value valueEvent(const clap_param_info& info, double value) {
    clap_event_param_value event{};
    event.header = headerOf(sizeof event, 0, CLAP_EVENT_PARAM_VALUE);
    event.param_id = info.id;
    event.cookie = info.cookie;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    return event;
}

// A flush while inactive, on the main thread, with the given events.
void flushInactive(ClapInstance& clap, ClapInputList& events) {
    clearClapEvents(clap.output);
    clap.extensions.params->flush(clap.plugin, &events.list, &clap.output.list);
    clap.outputEvents += long(clap.output.count);
}

void serviceTimers(ClapInstance& clap) {
    const auto now = std::chrono::steady_clock::now();
    std::vector<clap_id> due;
    for (ClapTimer& timer : clap.host.timers)
        if (timer.due <= now) {
            due.push_back(timer.id);
            timer.due += std::chrono::milliseconds(timer.periodMs);
            if (timer.due <= now) timer.due = now + std::chrono::milliseconds(timer.periodMs);
        }
    if (!clap.extensions.timerSupport) return;
    // A timer may unregister others (or itself) from on_timer.
    for (clap_id id : due)
        if (std::any_of(clap.host.timers.begin(), clap.host.timers.end(),
                        [&](const ClapTimer& timer) { return timer.id == id; }))
            clap.extensions.timerSupport->on_timer(clap.plugin, id);
}

// Milliseconds until the next timer is due, at most `limit`.
int untilNextTimer(const ClapInstance& clap, int limit) {
    const auto now = std::chrono::steady_clock::now();
    for (const ClapTimer& timer : clap.host.timers) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(timer.due - now).count();
        limit = std::min<int>(limit, int(std::max<long long>(wait, 0)));
    }
    return std::max(limit, 0);
}

#ifdef _WIN32
// Windows has no descriptors to watch: the wait is a sleep.
void waitForDescriptors(ClapInstance&, int waitMs) {
    if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
}
#else
// Ready descriptors reported to the plug-in; without any, the wait is a sleep.
void waitForDescriptors(ClapInstance& clap, int waitMs) {
    std::vector<pollfd> polled;
    for (const ClapWatchedFd& watched : clap.host.watchedFds) {
        short events = 0;
        if (watched.flags & CLAP_POSIX_FD_READ) events |= POLLIN;
        if (watched.flags & CLAP_POSIX_FD_WRITE) events |= POLLOUT;
        polled.push_back({watched.fd, events, 0});
    }
    if (polled.empty()) {
        if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        return;
    }
    if (poll(polled.data(), polled.size(), waitMs) <= 0) return;
    for (const pollfd& ready : polled) {
        clap_posix_fd_flags flags = 0;
        if (ready.revents & POLLIN) flags |= CLAP_POSIX_FD_READ;
        if (ready.revents & POLLOUT) flags |= CLAP_POSIX_FD_WRITE;
        if (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) flags |= CLAP_POSIX_FD_ERROR;
        // Still watched: an earlier on_fd may have unregistered it.
        const bool watched =
            std::any_of(clap.host.watchedFds.begin(), clap.host.watchedFds.end(),
                        [&](const ClapWatchedFd& fd) { return fd.fd == ready.fd; });
        if (flags && watched && clap.extensions.posixFdSupport)
            clap.extensions.posixFdSupport->on_fd(clap.plugin, ready.fd, flags);
    }
}
#endif

} // namespace

const char* clapPlatformGuiApi() {
#ifdef _WIN32
    return CLAP_WINDOW_API_WIN32;
#else
    return CLAP_WINDOW_API_X11;
#endif
}

LoadStatus createClapInstance(ClapInstance& clap, const clap_plugin_entry* entry,
                              const std::string& libraryPath, const std::string& pluginId,
                              std::string& error) {
    initClapHost(clap.host);
    initClapInputList(clap.input, kDefaultEventCapacity);
    initClapOutputList(clap.output, kDefaultEventCapacity);
    clap.entry = entry;
    const clap_version version = entry->clap_version;
    if (!clap_version_is_compatible(version)) {
        error = "its CLAP entry is of version " + std::to_string(version.major) + "." +
                std::to_string(version.minor) + ", before 1.0";
        return LoadStatus::NotAPlugin;
    }
    if (!entry->init || !entry->deinit || !entry->get_factory) {
        error = "its CLAP entry leaves a function null";
        return LoadStatus::NotAPlugin;
    }
    if (!entry->init(libraryPath.c_str())) {
        error = "the CLAP entry's init failed";
        return LoadStatus::NotAPlugin;
    }
    clap.entryInitialised = true;

    LoadStatus status = LoadStatus::NotAPlugin;
    const clap_plugin_factory* factory =
        static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    const std::uint32_t count = factory && factory->get_plugin_count &&
                                        factory->get_plugin_descriptor && factory->create_plugin
                                    ? factory->get_plugin_count(factory)
                                    : 0;
    std::string chosen;
    if (!factory) {
        error = "the library offers no CLAP plug-in factory";
    } else if (count == 0) {
        error = "the library's CLAP factory holds no plug-in";
    } else if (pluginId.empty() && count > 1) {
        error = "the library holds " + std::to_string(count) +
                " CLAP plug-ins; choose one by id: " + pluginList(factory, count);
        status = LoadStatus::NoSuchPlugin;
    } else {
        for (std::uint32_t i = 0; i < count && chosen.empty(); ++i) {
            const clap_plugin_descriptor* descriptor = factory->get_plugin_descriptor(factory, i);
            if (descriptor && descriptor->id && (pluginId.empty() || pluginId == descriptor->id))
                chosen = descriptor->id;
        }
        if (chosen.empty()) {
            error = pluginId.empty() ? "the library's only CLAP plug-in has no id"
                                     : "the library holds no CLAP plug-in of id '" + pluginId +
                                           "'; it holds " + pluginList(factory, count);
            if (!pluginId.empty()) status = LoadStatus::NoSuchPlugin;
        }
    }
    if (chosen.empty()) {
        destroyClapInstance(clap);
        return status;
    }

    clap.factory = factory;
    clap.plugin = factory->create_plugin(factory, &clap.host.record, chosen.c_str());
    if (!clap.plugin) {
        error = "the CLAP factory created no plug-in for id '" + chosen + "'";
    } else if (!recordComplete(clap.plugin)) {
        error = "the CLAP plug-in record of '" + chosen + "' leaves a function null";
        if (!clap.plugin->destroy) clap.plugin = nullptr; // nothing else can be done with it
    } else if (!clap.plugin->init(clap.plugin)) {
        error = "the CLAP plug-in '" + chosen + "' failed to initialise";
    } else {
        queryExtensions(clap);
        if (scanAudioPorts(clap, true, error) && scanAudioPorts(clap, false, error)) {
            if (clap.audioOutputs.empty()) {
                error = "the CLAP plug-in '" + chosen + "' has no audio output port";
            } else {
                scanNotePorts(clap);
                scanClapParameters(clap);
                return LoadStatus::Loaded;
            }
        }
    }
    destroyClapInstance(clap);
    return LoadStatus::NotAPlugin;
}

void destroyClapInstance(ClapInstance& clap) {
    if (clap.plugin) {
        destroyClapGui(clap);
        stopClapProcessing(clap);
        deactivateClap(clap);
        clap.plugin->destroy(clap.plugin);
        clap.plugin = nullptr;
    }
    clap.extensions = ClapExtensions{};
    if (clap.entryInitialised) clap.entry->deinit();
    clap.entryInitialised = false;
}

void scanClapParameters(ClapInstance& clap) {
    clap.parameters.clear();
    const clap_plugin_params* params = clap.extensions.params;
    if (!params) return;
    const std::uint32_t count = std::min(params->count(clap.plugin), kMaxParameters);
    for (std::uint32_t i = 0; i < count; ++i) {
        clap_param_info info{};
        if (!params->get_info(clap.plugin, i, &info)) {
            info = clap_param_info{};
            info.id = CLAP_INVALID_ID; // keeps the indexes of the others
        }
        info.name[CLAP_NAME_SIZE - 1] = '\0';
        info.module[CLAP_PATH_SIZE - 1] = '\0';
        clap.parameters.push_back(info);
    }
}

bool activateClap(ClapInstance& clap, std::string& error) {
    if (clap.active) return true;
    allocateAudio(clap);
    clap.host.activating = true;
    clap.active = clap.plugin->activate(clap.plugin, clap.sampleRate, 1, clap.maxFrames);
    clap.host.activating = false;
    clap.steadyTime = 0;
    if (!clap.active) error = "the CLAP plug-in refused to activate";
    return clap.active;
}

void deactivateClap(ClapInstance& clap) {
    if (!clap.active) return;
    stopClapProcessing(clap);
    clap.plugin->deactivate(clap.plugin);
    clap.active = false;
}

bool startClapProcessing(ClapInstance& clap, std::string& error) {
    if (clap.processing) return true;
    if (!clap.active) {
        error = "the CLAP plug-in is not active";
        return false;
    }
    beginAudioCall(clap.host);
    clap.processing = clap.plugin->start_processing(clap.plugin);
    endAudioCall(clap.host);
    if (!clap.processing) error = "the CLAP plug-in refused to start processing";
    return clap.processing;
}

void stopClapProcessing(ClapInstance& clap) {
    if (!clap.processing) return;
    beginAudioCall(clap.host);
    clap.plugin->stop_processing(clap.plugin);
    endAudioCall(clap.host);
    clap.processing = false;
}

bool queueClapMidi(ClapInstance& clap, std::uint32_t frame, const std::uint8_t* bytes, int size) {
    if (clap.noteInputs.empty() || bytes == nullptr || size < 1 || size > 3) return false;
    const ClapNotePort& port = clap.noteInputs.front();
    const bool takesClap = (port.supportedDialects & CLAP_NOTE_DIALECT_CLAP) != 0;
    const bool takesMidi = (port.supportedDialects & CLAP_NOTE_DIALECT_MIDI) != 0;
    const bool notesAsClap =
        takesClap && (port.preferredDialect == CLAP_NOTE_DIALECT_CLAP || !takesMidi);
    const std::uint8_t status = bytes[0] & 0xF0;
    const bool isNote = (status == 0x80 || status == 0x90) && size == 3;
    if (isNote && notesAsClap) {
        // A MIDI note-on of velocity 0 is a note-off; in CLAP it would be a note-on.
        const bool on = status == 0x90 && bytes[2] > 0;
        clap_event_note note{};
        note.header = headerOf(sizeof note, frame, on ? CLAP_EVENT_NOTE_ON : CLAP_EVENT_NOTE_OFF);
        note.note_id = -1;
        note.port_index = 0;
        note.channel = std::int16_t(bytes[0] & 0x0F);
        note.key = std::int16_t(bytes[1] & 0x7F);
        note.velocity = status == 0x90 && !on ? 0.0 : (bytes[2] & 0x7F) / 127.0;
        return pushClapEvent(clap.input, note.header);
    }
    if (!takesMidi) return false;
    clap_event_midi midi{};
    midi.header = headerOf(sizeof midi, frame, CLAP_EVENT_MIDI);
    midi.port_index = 0;
    for (int i = 0; i < size; ++i)
        midi.data[i] = bytes[i];
    return pushClapEvent(clap.input, midi.header);
}

clap_process_status processClap(ClapInstance& clap, std::uint32_t frames) {
    zeroAudio(clap, frames);
    clearClapEvents(clap.output);
    clap_process process{};
    process.steady_time = clap.steadyTime;
    process.frames_count = frames;
    process.transport = nullptr;
    process.audio_inputs = clap.inputBuffers.data();
    process.audio_outputs = clap.outputBuffers.data();
    process.audio_inputs_count = std::uint32_t(clap.inputBuffers.size());
    process.audio_outputs_count = std::uint32_t(clap.outputBuffers.size());
    process.in_events = &clap.input.list;
    process.out_events = &clap.output.list;
    beginAudioCall(clap.host);
    const clap_process_status status = clap.plugin->process(clap.plugin, &process);
    endAudioCall(clap.host);
    clap.steadyTime += frames;
    clearClapEvents(clap.input);
    clap.outputEvents += long(clap.output.count);
    if (status == CLAP_PROCESS_ERROR) {
        ++clap.processErrors;
        zeroAudio(clap, frames);
    }
    return status;
}

void serviceClapMainThread(ClapInstance& clap, int waitMs) {
    ClapHost& host = clap.host;
    if (host.callbackRequested.exchange(false)) clap.plugin->on_main_thread(clap.plugin);
    if (host.flushRequested.exchange(false) && !clap.active && clap.extensions.params) {
        ClapInputList none;
        initClapInputList(none, 0);
        flushInactive(clap, none);
    }
    if (host.paramRescanFlags.exchange(0) & (CLAP_PARAM_RESCAN_INFO | CLAP_PARAM_RESCAN_ALL))
        scanClapParameters(clap);
    if (host.notePortRescanFlags.exchange(0) != 0 && !clap.active) scanNotePorts(clap);
    if (host.resizeRequested.exchange(false) && clap.guiCreated) {
        clap.guiWidth = host.requestedWidth;
        clap.guiHeight = host.requestedHeight;
    }
    if (host.guiDestroyedByPlugin.exchange(false)) destroyClapGui(clap);
    // A restart waits until processing has stopped.
    if (clap.active && !clap.processing && host.restartRequested.exchange(false)) {
        std::string error;
        deactivateClap(clap);
        if (!activateClap(clap, error)) addPluginMessage(host, CLAP_LOG_ERROR, "host: " + error);
    }
    serviceTimers(clap);
    waitForDescriptors(clap, untilNextTimer(clap, waitMs));
}

bool clapParameterValue(ClapInstance& clap, std::size_t index, double& value) {
    if (!clap.extensions.params || index >= clap.parameters.size()) return false;
    return clap.extensions.params->get_value(clap.plugin, clap.parameters[index].id, &value);
}

bool setClapParameter(ClapInstance& clap, std::size_t index, double value) {
    if (!clap.extensions.params || index >= clap.parameters.size()) return false;
    const clap_event_param_value event = valueEvent(clap.parameters[index], value);
    if (clap.active) return pushClapEvent(clap.input, event.header);
    ClapInputList events;
    initClapInputList(events, 1);
    pushClapEvent(events, event.header);
    flushInactive(clap, events);
    return true;
}

std::string clapParameterText(ClapInstance& clap, std::size_t index, double value) {
    if (!clap.extensions.params || index >= clap.parameters.size()) return "";
    char buffer[CLAP_NAME_SIZE] = {};
    if (!clap.extensions.params->value_to_text(clap.plugin, clap.parameters[index].id, value,
                                               buffer, sizeof buffer))
        return "";
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

bool saveClapState(ClapInstance& clap, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    if (!clap.extensions.state) {
        error = "the plug-in keeps no state (no clap.state)";
        return false;
    }
    ClapMemoryWriter writer;
    initClapWriter(writer, bytes);
    if (!clap.extensions.state->save(clap.plugin, &writer.stream)) {
        error = "the plug-in failed to save its state";
        return false;
    }
    return true;
}

bool loadClapState(ClapInstance& clap, const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (!clap.extensions.state) {
        error = "the plug-in keeps no state (no clap.state)";
        return false;
    }
    ClapMemoryReader reader;
    initClapReader(reader, bytes);
    if (!clap.extensions.state->load(clap.plugin, &reader.stream)) {
        error = "the plug-in refused the state";
        return false;
    }
    return true;
}

bool createClapGui(ClapInstance& clap, int& width, int& height, std::string& error) {
    const clap_plugin_gui* gui = clap.extensions.gui;
    const char* api = clapPlatformGuiApi();
    if (!gui) {
        error = "the plug-in has no editor";
        return false;
    }
    if (!gui->is_api_supported(clap.plugin, api, false)) {
        error = std::string("the plug-in's gui does not embed in ") + api + " windows";
        return false;
    }
    destroyClapGui(clap);
    if (!gui->create(clap.plugin, api, false)) {
        error = std::string("the plug-in's gui could not be created (create ") + api + ")";
        return false;
    }
    clap.guiCreated = true;
    clap.host.guiCreated = true;
    clap.guiApi = api;
    gui->set_scale(clap.plugin, clap.guiScale); // physical pixels; may be refused
    std::uint32_t w = 0, h = 0;
    if (!gui->get_size(clap.plugin, &w, &h) || w == 0 || h == 0 || w > kMaxGuiSide ||
        h > kMaxGuiSide) {
        destroyClapGui(clap);
        error = "the plug-in's gui gave no usable size (get_size)";
        return false;
    }
    clap.guiWidth = w;
    clap.guiHeight = h;
    width = int(w);
    height = int(h);
    return true;
}

bool showClapGui(ClapInstance& clap, HostWindow& window, std::string& error) {
    if (!clap.guiCreated) {
        error = "the plug-in's gui was not created";
        return false;
    }
    clap_window parent{};
    parent.api = clap.guiApi;
#ifdef _WIN32
    parent.win32 = window.parent;
#else
    parent.x11 = window.id;
#endif
    const clap_plugin_gui* gui = clap.extensions.gui;
    if (!gui->set_parent(clap.plugin, &parent)) {
        error = "the plug-in's gui refused the host's window (set_parent)";
        return false;
    }
    if (!gui->show(clap.plugin))
        addPluginMessage(clap.host, CLAP_LOG_PLUGIN_MISBEHAVING, "host: gui show answered false");
    return true;
}

void destroyClapGui(ClapInstance& clap) {
    if (!clap.guiCreated) return;
    clap.extensions.gui->hide(clap.plugin);
    clap.extensions.gui->destroy(clap.plugin);
    clap.guiCreated = false;
    clap.host.guiCreated = false;
    clap.guiApi = nullptr;
}
