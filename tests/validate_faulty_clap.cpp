// A small CLAP instrument for testing t815-validate: eight sine voices with
// an attack and release, two parameters (Gain, Octave), state, one note
// port (CLAP and MIDI), one stereo output, a latency of 0 and a gui that
// makes no window of its own but keeps a timer. Sound in every respect
// unless the environment variable T815_FAULT, read when the entry is
// initialised, names one fault, each of which one family of the
// validator's checks must catch:
//   entry-twice        a second init without deinit answers false
//   descriptor         the descriptor has no version and no features
//   param-ids          both parameters have the same id
//   text-round-trip    text_to_value reads half the value shown
//   param-range        values are taken unclamped, NaN included
//   state-lossy        save leaves out the octave
//   state-garbage      load accepts any stream
//   port-type          the stereo output port is typed mono
//   reset              reset leaves the voices sounding
//   offsets            events act at the start of their block
//   gui-size           the gui's size is 0 x 0
//   timer-support      the gui registers a timer but offers no timer-support
//   allocation         process allocates
//   wrong-thread       process asks the host for a parameter rescan
//   shared-state       instances share one tremolo phase
#include "clap_abi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#ifdef _WIN32
#define FAULTY_EXPORT extern "C" __declspec(dllexport)
#else
#define FAULTY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

enum class Fault {
    None,
    EntryTwice,
    Descriptor,
    ParamIds,
    TextRoundTrip,
    ParamRange,
    StateLossy,
    StateGarbage,
    PortType,
    Reset,
    Offsets,
    GuiSize,
    TimerSupport,
    Allocation,
    WrongThread,
    SharedState,
};

const char* const kFaultNames[] = {"",
                                   "entry-twice",
                                   "descriptor",
                                   "param-ids",
                                   "text-round-trip",
                                   "param-range",
                                   "state-lossy",
                                   "state-garbage",
                                   "port-type",
                                   "reset",
                                   "offsets",
                                   "gui-size",
                                   "timer-support",
                                   "allocation",
                                   "wrong-thread",
                                   "shared-state"};

Fault fault = Fault::None;
int entryCount = 0;

constexpr int kVoices = 8;
constexpr clap_id kGain = 1, kOctave = 2;
constexpr double kPi = 3.14159265358979323846;
const char kStateMagic[4] = {'F', 'C', 'L', 'P'};
constexpr std::size_t kStateBytes = sizeof kStateMagic + 2 * sizeof(double);

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};
clap_plugin_descriptor descriptor = {CLAP_VERSION_INIT,
                                     "t815.test.faulty-clap",
                                     "Faulty CLAP",
                                     "T-815 Project",
                                     "",
                                     "",
                                     "",
                                     "1.0",
                                     "Sine voices, with one fault on request",
                                     kFeatures};

double sharedTremolo = 0.0; // the shared-state fault's phase

struct Voice {
    int key = -1; // -1: free
    bool held = false;
    double phase = 0.0, step = 0.0, level = 0.0, velocity = 0.0;
};

struct Faulty {
    clap_plugin plugin;
    const clap_host* host = nullptr;
    double sampleRate = 44100.0;
    double gain = 0.5, octave = 0.0;
    double tremolo = 0.0;
    Voice voices[kVoices];
    bool guiCreated = false;
    clap_id timer = CLAP_INVALID_ID;
    int ticks = 0;
};

Faulty* faultyOf(const clap_plugin* plugin) {
    return plugin ? static_cast<Faulty*>(plugin->plugin_data) : nullptr;
}

template <typename Table> const Table* hostExtension(const clap_host* host, const char* id) {
    return host && host->get_extension ? static_cast<const Table*>(host->get_extension(host, id))
                                       : nullptr;
}

// ---- sound -----------------------------------------------------------------

void noteOn(Faulty& faulty, int key, double velocity) {
    if (key < 0 || key > 127) return;
    Voice* voice = std::find_if(std::begin(faulty.voices), std::end(faulty.voices),
                                [](const Voice& v) { return v.key < 0; });
    if (voice == std::end(faulty.voices)) voice = &faulty.voices[0];
    const double hz = 440.0 * std::pow(2.0, (key - 69 + 12 * faulty.octave) / 12.0);
    *voice = Voice{key, true, 0.0, 2.0 * kPi * hz / faulty.sampleRate, 0.0, velocity};
}

void noteOff(Faulty& faulty, int key) {
    for (Voice& voice : faulty.voices)
        if (voice.key == key && (key >= 0 || voice.key >= 0)) voice.held = false;
}

void setParameter(Faulty& faulty, clap_id id, double value) {
    if (fault != Fault::ParamRange) {
        if (!std::isfinite(value)) return;
        value =
            id == kOctave ? std::clamp(std::trunc(value), -2.0, 2.0) : std::clamp(value, 0.0, 1.0);
    }
    if (id == kGain) faulty.gain = value;
    if (id == kOctave || (fault == Fault::ParamIds && id == kGain)) faulty.octave = value;
}

void applyEvent(Faulty& faulty, const clap_event_header* event) {
    if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) return;
    switch (event->type) {
    case CLAP_EVENT_NOTE_ON: {
        const auto* note = reinterpret_cast<const clap_event_note*>(event);
        noteOn(faulty, note->key, note->velocity);
        break;
    }
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE:
        noteOff(faulty, reinterpret_cast<const clap_event_note*>(event)->key);
        break;
    case CLAP_EVENT_MIDI: {
        const auto* midi = reinterpret_cast<const clap_event_midi*>(event);
        const int status = midi->data[0] & 0xF0;
        if (status == 0x90 && midi->data[2] > 0)
            noteOn(faulty, midi->data[1], midi->data[2] / 127.0);
        else if (status == 0x80 || status == 0x90)
            noteOff(faulty, midi->data[1]);
        break;
    }
    case CLAP_EVENT_PARAM_VALUE: {
        const auto* change = reinterpret_cast<const clap_event_param_value*>(event);
        setParameter(faulty, change->param_id, change->value);
        break;
    }
    default:
        break;
    }
}

// One stereo frame: attack over 64 samples, release to silence.
void renderFrame(Faulty& faulty, float& left, float& right) {
    double sum = 0.0;
    for (Voice& voice : faulty.voices) {
        if (voice.key < 0) continue;
        voice.level = voice.held ? std::min(1.0, voice.level + 1.0 / 64.0) : voice.level * 0.999;
        if (!voice.held && voice.level < 1e-4) {
            voice.key = -1;
            continue;
        }
        sum += std::sin(voice.phase) * voice.level * voice.velocity;
        voice.phase = std::fmod(voice.phase + voice.step, 2.0 * kPi);
    }
    double& tremolo = fault == Fault::SharedState ? sharedTremolo : faulty.tremolo;
    tremolo = std::fmod(tremolo + 2.0 * kPi * 5.0 / faulty.sampleRate, 2.0 * kPi);
    const double out = sum * faulty.gain * 0.2 * (0.9 + 0.1 * std::sin(tremolo));
    left = right = static_cast<float>(out);
}

// ---- plug-in ---------------------------------------------------------------

bool CLAP_CALL init(const clap_plugin*) {
    return true;
}

void CLAP_CALL destroy(const clap_plugin* plugin) {
    delete faultyOf(plugin);
}

bool CLAP_CALL activate(const clap_plugin* plugin, double rate, std::uint32_t, std::uint32_t) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !(rate > 0.0) || !std::isfinite(rate)) return false;
    faulty->sampleRate = rate;
    return true;
}

void CLAP_CALL deactivate(const clap_plugin*) {}
bool CLAP_CALL startProcessing(const clap_plugin*) {
    return true;
}
void CLAP_CALL stopProcessing(const clap_plugin*) {}

void CLAP_CALL reset(const clap_plugin* plugin) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || fault == Fault::Reset) return;
    for (Voice& voice : faulty->voices)
        voice = Voice{};
}

clap_process_status CLAP_CALL process(const clap_plugin* plugin, const clap_process* process) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !process || process->audio_outputs_count < 1 ||
        process->audio_outputs[0].channel_count < 2)
        return CLAP_PROCESS_ERROR;
    if (fault == Fault::Allocation) {
        static float* volatile scratch = nullptr;
        scratch = static_cast<float*>(std::malloc(process->frames_count * sizeof(float) + 1));
        std::free(scratch);
    }
    if (fault == Fault::WrongThread)
        if (const auto* params = hostExtension<clap_host_params>(faulty->host, CLAP_EXT_PARAMS))
            params->rescan(faulty->host, CLAP_PARAM_RESCAN_VALUES);
    const clap_input_events* in = process->in_events;
    const std::uint32_t count = in ? in->size(in) : 0;
    std::uint32_t next = 0;
    float* left = process->audio_outputs[0].data32[0];
    float* right = process->audio_outputs[0].data32[1];
    for (std::uint32_t i = 0; i < process->frames_count; ++i) {
        for (; next < count; ++next) {
            const clap_event_header* event = in->get(in, next);
            if (event && event->time > i && fault != Fault::Offsets) break;
            applyEvent(*faulty, event);
        }
        renderFrame(*faulty, left[i], right[i]);
    }
    for (; next < count; ++next)
        applyEvent(*faulty, in->get(in, next));
    return CLAP_PROCESS_CONTINUE;
}

// ---- parameters ------------------------------------------------------------

std::uint32_t CLAP_CALL paramCount(const clap_plugin*) {
    return 2;
}

bool CLAP_CALL paramInfo(const clap_plugin*, std::uint32_t index, clap_param_info* info) {
    if (!info || index >= 2) return false;
    std::memset(info, 0, sizeof *info);
    const bool gain = index == 0;
    info->id = gain || fault == Fault::ParamIds ? kGain : kOctave;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE | (gain ? 0u : std::uint32_t{CLAP_PARAM_IS_STEPPED});
    std::snprintf(info->name, sizeof info->name, "%s", gain ? "Gain" : "Octave");
    info->min_value = gain ? 0.0 : -2.0;
    info->max_value = gain ? 1.0 : 2.0;
    info->default_value = gain ? 0.5 : 0.0;
    return true;
}

bool CLAP_CALL paramValue(const clap_plugin* plugin, clap_id id, double* value) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !value || (id != kGain && id != kOctave)) return false;
    *value = id == kGain ? faulty->gain : faulty->octave;
    return true;
}

bool CLAP_CALL valueToText(const clap_plugin*, clap_id id, double value, char* out,
                           std::uint32_t capacity) {
    if (!out || (id != kGain && id != kOctave) || !std::isfinite(value)) return false;
    char text[64];
    if (id == kGain)
        std::snprintf(text, sizeof text, "%.3f", std::clamp(value, 0.0, 1.0));
    else
        std::snprintf(text, sizeof text, "%d", int(std::clamp(std::trunc(value), -2.0, 2.0)));
    if (std::strlen(text) >= capacity) return false;
    std::memcpy(out, text, std::strlen(text) + 1);
    return true;
}

bool CLAP_CALL textToValue(const clap_plugin*, clap_id id, const char* text, double* value) {
    if (!text || !value || (id != kGain && id != kOctave)) return false;
    char* end = nullptr;
    const double read = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(read)) return false;
    *value = id == kGain ? std::clamp(read, 0.0, 1.0) : std::clamp(std::trunc(read), -2.0, 2.0);
    if (fault == Fault::TextRoundTrip) *value *= 0.5;
    return true;
}

void CLAP_CALL paramFlush(const clap_plugin* plugin, const clap_input_events* in,
                          const clap_output_events*) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !in) return;
    for (std::uint32_t i = 0, n = in->size(in); i < n; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (event && event->type == CLAP_EVENT_PARAM_VALUE) applyEvent(*faulty, event);
    }
}

const clap_plugin_params kParams = {paramCount,  paramInfo,   paramValue,
                                    valueToText, textToValue, paramFlush};

// ---- state -----------------------------------------------------------------

bool CLAP_CALL stateSave(const clap_plugin* plugin, const clap_ostream* stream) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !stream) return false;
    unsigned char bytes[kStateBytes];
    const double values[2] = {faulty->gain, fault == Fault::StateLossy ? 0.0 : faulty->octave};
    std::memcpy(bytes, kStateMagic, sizeof kStateMagic);
    std::memcpy(bytes + sizeof kStateMagic, values, sizeof values);
    for (std::size_t done = 0; done < kStateBytes;) {
        const std::int64_t wrote = stream->write(stream, bytes + done, kStateBytes - done);
        if (wrote <= 0) return false;
        done += std::size_t(wrote);
    }
    return true;
}

bool CLAP_CALL stateLoad(const clap_plugin* plugin, const clap_istream* stream) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !stream) return false;
    unsigned char bytes[kStateBytes + 1];
    std::size_t done = 0;
    while (done < sizeof bytes) {
        const std::int64_t read = stream->read(stream, bytes + done, sizeof bytes - done);
        if (read < 0 && fault != Fault::StateGarbage) return false;
        if (read <= 0) break;
        done += std::size_t(read);
    }
    if (fault == Fault::StateGarbage && done != kStateBytes) return true;
    if (done != kStateBytes || std::memcmp(bytes, kStateMagic, sizeof kStateMagic) != 0)
        return false;
    double values[2];
    std::memcpy(values, bytes + sizeof kStateMagic, sizeof values);
    if (!(values[0] >= 0.0 && values[0] <= 1.0) || !(values[1] >= -2.0 && values[1] <= 2.0))
        return false;
    faulty->gain = values[0];
    faulty->octave = std::trunc(values[1]);
    return true;
}

const clap_plugin_state kState = {stateSave, stateLoad};

// ---- ports and latency -----------------------------------------------------

std::uint32_t CLAP_CALL audioPortCount(const clap_plugin*, bool input) {
    return input ? 0 : 1;
}

bool CLAP_CALL audioPortInfo(const clap_plugin*, std::uint32_t index, bool input,
                             clap_audio_port_info* info) {
    if (input || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = fault == Fault::PortType ? CLAP_PORT_MONO : CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports kAudioPorts = {audioPortCount, audioPortInfo};

std::uint32_t CLAP_CALL notePortCount(const clap_plugin*, bool input) {
    return input ? 1 : 0;
}

bool CLAP_CALL notePortInfo(const clap_plugin*, std::uint32_t index, bool input,
                            clap_note_port_info* info) {
    if (!input || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
    std::snprintf(info->name, sizeof info->name, "Notes");
    return true;
}

const clap_plugin_note_ports kNotePorts = {notePortCount, notePortInfo};

std::uint32_t CLAP_CALL latency(const clap_plugin*) {
    return 0;
}
const clap_plugin_latency kLatency = {latency};

// ---- gui: sizes and a timer, no window of its own ----------------------------

#ifdef _WIN32
const char* const kGuiApi = CLAP_WINDOW_API_WIN32;
#else
const char* const kGuiApi = CLAP_WINDOW_API_X11;
#endif

bool CLAP_CALL guiSupported(const clap_plugin*, const char* api, bool floating) {
    return api && !floating && std::strcmp(api, kGuiApi) == 0;
}

bool CLAP_CALL guiPreferred(const clap_plugin*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = kGuiApi;
    *floating = false;
    return true;
}

bool CLAP_CALL guiCreate(const clap_plugin* plugin, const char* api, bool floating) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || faulty->guiCreated || !guiSupported(plugin, api, floating)) return false;
    faulty->guiCreated = true;
    if (const auto* timers =
            hostExtension<clap_host_timer_support>(faulty->host, CLAP_EXT_TIMER_SUPPORT))
        timers->register_timer(faulty->host, 50, &faulty->timer);
    return true;
}

void CLAP_CALL guiDestroy(const clap_plugin* plugin) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !faulty->guiCreated) return;
    const auto* timers =
        hostExtension<clap_host_timer_support>(faulty->host, CLAP_EXT_TIMER_SUPPORT);
    if (timers && faulty->timer != CLAP_INVALID_ID && fault != Fault::TimerSupport)
        timers->unregister_timer(faulty->host, faulty->timer);
    faulty->timer = CLAP_INVALID_ID;
    faulty->guiCreated = false;
}

bool CLAP_CALL guiSetScale(const clap_plugin*, double) {
    return true;
}

bool CLAP_CALL guiGetSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
    Faulty* faulty = faultyOf(plugin);
    if (!faulty || !faulty->guiCreated || !width || !height) return false;
    *width = fault == Fault::GuiSize ? 0 : 300;
    *height = fault == Fault::GuiSize ? 0 : 200;
    return true;
}

bool CLAP_CALL guiCanResize(const clap_plugin*) {
    return false;
}
bool CLAP_CALL guiResizeHints(const clap_plugin*, clap_gui_resize_hints*) {
    return false;
}
bool CLAP_CALL guiAdjustSize(const clap_plugin*, std::uint32_t*, std::uint32_t*) {
    return false;
}
bool CLAP_CALL guiSetSize(const clap_plugin*, std::uint32_t, std::uint32_t) {
    return false;
}

bool CLAP_CALL guiSetParent(const clap_plugin* plugin, const clap_window* window) {
    Faulty* faulty = faultyOf(plugin);
    return faulty && faulty->guiCreated && window && window->api &&
           std::strcmp(window->api, kGuiApi) == 0;
}

bool CLAP_CALL guiSetTransient(const clap_plugin*, const clap_window*) {
    return false;
}
void CLAP_CALL guiSuggestTitle(const clap_plugin*, const char*) {}

bool CLAP_CALL guiShowHide(const clap_plugin* plugin) {
    Faulty* faulty = faultyOf(plugin);
    return faulty && faulty->guiCreated;
}

const clap_plugin_gui kGui = {guiSupported,    guiPreferred, guiCreate,    guiDestroy,
                              guiSetScale,     guiGetSize,   guiCanResize, guiResizeHints,
                              guiAdjustSize,   guiSetSize,   guiSetParent, guiSetTransient,
                              guiSuggestTitle, guiShowHide,  guiShowHide};

void CLAP_CALL onTimer(const clap_plugin* plugin, clap_id) {
    if (Faulty* faulty = faultyOf(plugin)) ++faulty->ticks;
}

const clap_plugin_timer_support kTimerSupport = {onTimer};

const void* CLAP_CALL getExtension(const clap_plugin*, const char* id) {
    if (!id) return nullptr;
    const struct {
        const char* id;
        const void* table;
    } kTables[] = {
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_GUI, &kGui},
        {CLAP_EXT_TIMER_SUPPORT, fault == Fault::TimerSupport ? nullptr : &kTimerSupport},
    };
    for (const auto& known : kTables)
        if (std::strcmp(id, known.id) == 0) return known.table;
    return nullptr;
}

void CLAP_CALL onMainThread(const clap_plugin*) {}

// ---- factory and entry -------------------------------------------------------

std::uint32_t CLAP_CALL pluginCount(const clap_plugin_factory*) {
    return 1;
}

const clap_plugin_descriptor* CLAP_CALL pluginDescriptor(const clap_plugin_factory*,
                                                         std::uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}

const clap_plugin* CLAP_CALL createPlugin(const clap_plugin_factory*, const clap_host* host,
                                          const char* id) {
    if (!host || !id || std::strcmp(id, descriptor.id) != 0) return nullptr;
    Faulty* faulty = new (std::nothrow) Faulty{};
    if (!faulty) return nullptr;
    faulty->plugin = {&descriptor,     faulty,         init,  destroy, activate,     deactivate,
                      startProcessing, stopProcessing, reset, process, getExtension, onMainThread};
    faulty->host = host;
    return &faulty->plugin;
}

const clap_plugin_factory kFactory = {pluginCount, pluginDescriptor, createPlugin};

bool CLAP_CALL entryInit(const char* path) {
    if (!path) return false;
    if (entryCount > 0 && fault == Fault::EntryTwice) return false;
    if (entryCount++ == 0) {
        const char* chosen = std::getenv("T815_FAULT");
        fault = Fault::None;
        for (int i = 1; chosen && i < int(sizeof kFaultNames / sizeof *kFaultNames); ++i)
            if (std::strcmp(chosen, kFaultNames[i]) == 0) fault = Fault(i);
        descriptor.version = fault == Fault::Descriptor ? nullptr : "1.0";
        descriptor.features = fault == Fault::Descriptor ? nullptr : kFeatures;
    }
    return true;
}

void CLAP_CALL entryDeinit() {
    if (entryCount > 0) --entryCount;
}

const void* CLAP_CALL entryFactory(const char* id) {
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

FAULTY_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit,
                                                    entryFactory};
