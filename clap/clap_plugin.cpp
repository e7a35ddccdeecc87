// Construction and destruction of the CLAP face, and the plug-in record's
// calls: activation sets the rate, processing renders the block in pieces
// split at its events' times, and the host's extensions are looked up once
// at init.
#include "clap_plugin.h"

#include "clap_extensions.h"
#include "instrument_operations.h"
#include "instrument_render.h"

#include <cmath>
#include <cstring>
#include <new>

namespace t815 {

double clapParameterValue(const PluginInstance& instance, clap_id id) {
    if (id == kClapProgramParam) return selectedProgramIndex(instance);
    return readParameter(instance, static_cast<std::int32_t>(id));
}

namespace {

void rememberReportedValues(ClapPlugin& face) {
    for (clap_id id = 0; id < kClapParamCount; ++id)
        face.reportedValues[id] = clapParameterValue(face.instance, id);
}

void markGesture(void* record, std::int32_t index, bool begins) {
    ClapPlugin& face = *static_cast<ClapPlugin*>(record);
    if (static_cast<std::uint32_t>(index) >= kClapParamCount) return;
    (begins ? face.gesturesBegun : face.gesturesEnded).fetch_or(1u << index);
    // The panel runs on the main thread: the host may be asked to flush
    // when it is not processing.
    if (face.hostParams) face.hostParams->request_flush(face.host);
}

void requestResize(void* record) {
    requestGuiResize(*static_cast<ClapPlugin*>(record));
}

template <typename T> const T* hostExtension(const clap_host* host, const char* id) {
    return host->get_extension ? static_cast<const T*>(host->get_extension(host, id)) : nullptr;
}

bool CLAP_CALL pluginInit(const clap_plugin* plugin) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face) return false;
    face->hostParams = hostExtension<clap_host_params>(face->host, CLAP_EXT_PARAMS);
    face->hostTimers = hostExtension<clap_host_timer_support>(face->host, CLAP_EXT_TIMER_SUPPORT);
    if (face->hostParams && (!face->hostParams->request_flush)) face->hostParams = nullptr;
    if (face->hostTimers &&
        (!face->hostTimers->register_timer || !face->hostTimers->unregister_timer))
        face->hostTimers = nullptr;
    face->hostFds =
        hostExtension<clap_host_posix_fd_support>(face->host, CLAP_EXT_POSIX_FD_SUPPORT);
    if (face->hostFds && (!face->hostFds->register_fd || !face->hostFds->unregister_fd))
        face->hostFds = nullptr;
    face->hostGui = hostExtension<clap_host_gui>(face->host, CLAP_EXT_GUI);
    if (face->hostGui && !face->hostGui->request_resize) face->hostGui = nullptr;
    return true;
}

void CLAP_CALL pluginDestroy(const clap_plugin* plugin) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face) return;
    destroyClapGui(*face);
    teardownPluginInstance(face->instance);
    delete face;
}

bool CLAP_CALL pluginActivate(const clap_plugin* plugin, double rate, std::uint32_t,
                              std::uint32_t) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face) return false;
    // Stored as given: the shell renders rates below 1000 Hz, or not finite,
    // as 44100 Hz. A rate beyond what a float holds is stored as 0 (no
    // float conversion of it is defined).
    const bool fits = std::isfinite(rate) && std::fabs(rate) < 1e30;
    setSampleRate(face->instance, fits ? static_cast<float>(rate) : 0.0f);
    return true;
}

void CLAP_CALL pluginDeactivate(const clap_plugin*) {}

bool CLAP_CALL pluginStartProcessing(const clap_plugin*) {
    return true;
}

void CLAP_CALL pluginStopProcessing(const clap_plugin*) {}

void CLAP_CALL pluginReset(const clap_plugin* plugin) {
    if (ClapPlugin* face = clapPluginOf(plugin)) resetAllVoices(face->instance);
}

// The output's two channels, or false when the host gave nowhere to render.
bool outputChannels(const clap_process& process, float*& left, float*& right) {
    if (process.audio_outputs_count < 1 || !process.audio_outputs) return false;
    const clap_audio_buffer& buffer = process.audio_outputs[0];
    if (buffer.channel_count < 1 || !buffer.data32 || !buffer.data32[0]) return false;
    left = buffer.data32[0];
    right = buffer.channel_count >= 2 ? buffer.data32[1] : nullptr;
    return true;
}

// Renders the block in pieces: every event acts at its own sample offset,
// the pieces before it already rendered. Events at or past the block's end
// act after its last sample.
clap_process_status CLAP_CALL pluginProcess(const clap_plugin* plugin,
                                            const clap_process* process) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !process) return CLAP_PROCESS_ERROR;
    float* left = nullptr;
    float* right = nullptr;
    const bool canRender = outputChannels(*process, left, right);
    const std::uint32_t frames = canRender ? process->frames_count : 0;
    const clap_input_events* in = process->in_events;
    const std::uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    std::uint32_t rendered = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (!event) continue;
        const std::uint32_t at = event->time < frames ? event->time : frames;
        if (at > rendered) {
            renderInstrumentBlock(face->instance, left + rendered,
                                  right ? right + rendered : nullptr,
                                  static_cast<std::int32_t>(at - rendered));
            rendered = at;
        }
        applyClapEvent(*face, *event);
    }
    if (frames > rendered)
        renderInstrumentBlock(face->instance, left + rendered, right ? right + rendered : nullptr,
                              static_cast<std::int32_t>(frames - rendered));
    if (canRender) {
        // A stereo port's channels beyond the second (none expected) are left alone.
        process->audio_outputs[0].constant_mask = 0;
    }
    reportParameterChanges(*face, process->out_events);
    return CLAP_PROCESS_CONTINUE;
}

const void* CLAP_CALL pluginExtension(const clap_plugin*, const char* id) {
    if (!id) return nullptr;
    struct Offer {
        const char* id;
        const void* table;
    };
    static const Offer offers[] = {
        {CLAP_EXT_PARAMS, &kClapParams},
        {CLAP_EXT_STATE, &kClapState},
        {CLAP_EXT_AUDIO_PORTS, &kClapAudioPorts},
        {CLAP_EXT_NOTE_PORTS, &kClapNotePorts},
        {CLAP_EXT_LATENCY, &kClapLatency},
        {CLAP_EXT_GUI, &kClapGui},
        {CLAP_EXT_TIMER_SUPPORT, &kClapTimerSupport},
#ifndef _WIN32
        {CLAP_EXT_POSIX_FD_SUPPORT, &kClapPosixFdSupport},
#endif
    };
    for (const Offer& offer : offers)
        if (std::strcmp(id, offer.id) == 0) return offer.table;
    return nullptr;
}

void CLAP_CALL pluginOnMainThread(const clap_plugin*) {}

} // namespace

ClapPlugin* createClapPlugin(const clap_host* host) noexcept {
    ClapPlugin* face = new (std::nothrow) ClapPlugin();
    if (!face) return nullptr;
    face->host = host;
    face->watchedFd = -1;
    if (!constructPluginInstance(face->instance, {face, nullptr, markGesture, requestResize})) {
        delete face;
        return nullptr;
    }
    face->plugin = {nullptr,
                    face,
                    pluginInit,
                    pluginDestroy,
                    pluginActivate,
                    pluginDeactivate,
                    pluginStartProcessing,
                    pluginStopProcessing,
                    pluginReset,
                    pluginProcess,
                    pluginExtension,
                    pluginOnMainThread};
    rememberReportedValues(*face);
    std::memcpy(face->defaultValues, face->reportedValues, sizeof face->defaultValues);
    return face;
}

} // namespace t815
