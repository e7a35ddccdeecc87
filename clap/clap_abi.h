/* The CLAP 1.x plug-in interface as the binary contract between a host and an
 * instrument library: the exported entry, the plug-in factory and descriptor,
 * the plug-in and host records, processing (audio buffers, event lists), the
 * core events, state streams, and the extensions an instrument and its host
 * offer each other (parameters, state, audio and note ports, gui, latency,
 * timers, file descriptors, thread check, log), under the names the interface
 * gives them. Plain C, so that C and C++ sources share it; on the three
 * measured targets (x86_64 Linux, 32-bit and 64-bit Windows) every size and
 * offset is checked against the layouts real CLAP hosts and plug-ins use. */
#pragma once

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <assert.h> /* static_assert */
#include <stdbool.h>
#endif

/* Every function pointer of the interface, in both directions, is cdecl; on
 * 32-bit Windows that has to be spelled out, elsewhere it is the only one. */
#if defined(_WIN32) && !defined(_WIN64)
#define CLAP_CALL __cdecl
#else
#define CLAP_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Basic types ------------------------------------------------------- */

typedef uint32_t clap_id;
#define CLAP_INVALID_ID UINT32_MAX

/* Fixed text capacities (UTF-8, zero-terminated). */
#define CLAP_NAME_SIZE 256
#define CLAP_PATH_SIZE 1024

typedef struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
} clap_version;

/* The revision these declarations follow. */
#define CLAP_VERSION_MAJOR 1
#define CLAP_VERSION_MINOR 2
#define CLAP_VERSION_REVISION 10
#define CLAP_VERSION_INIT                                                                          \
    { CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION }

/* 0.x was a pre-release with another layout; every 1.x and later is taken. */
static inline bool clap_version_is_compatible(clap_version version) {
    return version.major >= 1;
}

struct clap_host;
struct clap_plugin;
struct clap_input_events;
struct clap_output_events;
/* The transport record (104 bytes on every target) is passed by pointer and
 * may be null; nothing here reads it. */
typedef struct clap_event_transport clap_event_transport;

/* ---- Library entry and plug-in factory -------------------------------- */

/* The library exports one data object of this type named `clap_entry`. */
typedef struct clap_plugin_entry {
    struct clap_version clap_version;
    bool(CLAP_CALL* init)(const char* plugin_path); /* counted: may repeat */
    void(CLAP_CALL* deinit)(void);
    const void*(CLAP_CALL* get_factory)(const char* factory_id); /* null for unknown ids */
} clap_plugin_entry;

#define CLAP_PLUGIN_FACTORY_ID "clap.plugin-factory"

typedef struct clap_plugin_descriptor {
    struct clap_version clap_version;
    const char* id;   /* mandatory */
    const char* name; /* mandatory */
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; /* ended by a null entry */
} clap_plugin_descriptor;

/* Feature strings of an instrument's descriptor. */
#define CLAP_PLUGIN_FEATURE_INSTRUMENT "instrument"
#define CLAP_PLUGIN_FEATURE_SYNTHESIZER "synthesizer"
#define CLAP_PLUGIN_FEATURE_STEREO "stereo"

typedef struct clap_plugin_factory {
    uint32_t(CLAP_CALL* get_plugin_count)(const struct clap_plugin_factory* factory);
    const clap_plugin_descriptor*(CLAP_CALL* get_plugin_descriptor)(
        const struct clap_plugin_factory* factory, uint32_t index);
    const struct clap_plugin*(CLAP_CALL* create_plugin)(const struct clap_plugin_factory* factory,
                                                        const struct clap_host* host,
                                                        const char* plugin_id);
} clap_plugin_factory;

/* ---- Plug-in and host -------------------------------------------------- */

typedef int32_t clap_process_status;
enum {
    CLAP_PROCESS_ERROR = 0, /* the output is to be discarded */
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

struct clap_process;

typedef struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data; /* the plug-in's own */
    bool(CLAP_CALL* init)(const struct clap_plugin* plugin);
    void(CLAP_CALL* destroy)(const struct clap_plugin* plugin);
    bool(CLAP_CALL* activate)(const struct clap_plugin* plugin, double sample_rate,
                              uint32_t min_frames_count, uint32_t max_frames_count);
    void(CLAP_CALL* deactivate)(const struct clap_plugin* plugin);
    bool(CLAP_CALL* start_processing)(const struct clap_plugin* plugin);
    void(CLAP_CALL* stop_processing)(const struct clap_plugin* plugin);
    void(CLAP_CALL* reset)(const struct clap_plugin* plugin);
    clap_process_status(CLAP_CALL* process)(const struct clap_plugin* plugin,
                                            const struct clap_process* process);
    const void*(CLAP_CALL* get_extension)(const struct clap_plugin* plugin, const char* id);
    void(CLAP_CALL* on_main_thread)(const struct clap_plugin* plugin);
} clap_plugin;

typedef struct clap_host {
    struct clap_version clap_version;
    void* host_data; /* the host's own */
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_CALL* get_extension)(const struct clap_host* host, const char* extension_id);
    void(CLAP_CALL* request_restart)(const struct clap_host* host);
    void(CLAP_CALL* request_process)(const struct clap_host* host);
    void(CLAP_CALL* request_callback)(const struct clap_host* host); /* → on_main_thread */
} clap_host;

/* ---- Events ------------------------------------------------------------ */

typedef struct clap_event_header {
    uint32_t size; /* of the whole event, header included */
    uint32_t time; /* sample offset inside the block */
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
} clap_event_header;

/* Only events of this space are core events, whatever their type number. */
#define CLAP_CORE_EVENT_SPACE_ID 0

enum {
    CLAP_EVENT_IS_LIVE = 1 << 0,
    CLAP_EVENT_DONT_RECORD = 1 << 1, /* e.g. a parameter change that came from a MIDI CC */
};

enum {
    CLAP_EVENT_NOTE_ON = 0,
    CLAP_EVENT_NOTE_OFF = 1,
    CLAP_EVENT_NOTE_CHOKE = 2, /* cut the matching voices, no release */
    CLAP_EVENT_NOTE_END = 3,   /* plug-in to host: a voice ended */
    CLAP_EVENT_NOTE_EXPRESSION = 4,
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
    CLAP_EVENT_MIDI = 10,
    CLAP_EVENT_MIDI_SYSEX = 11,
    CLAP_EVENT_MIDI2 = 12,
};

/* Note on, off, choke and end. -1 in note_id, port_index, channel or key is
 * a wildcard ("any"); a note-on needs a real key, channel and port. A note-on
 * of velocity 0 is a note-on. */
typedef struct clap_event_note {
    clap_event_header header;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double velocity; /* 0..1 */
} clap_event_note;

typedef struct clap_event_param_value {
    clap_event_header header;
    clap_id param_id;
    void* cookie; /* may be null: match on param_id */
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
} clap_event_param_value;

/* Wraps a user's drag of a control: BEGIN, the VALUE events, END. */
typedef struct clap_event_param_gesture {
    clap_event_header header;
    clap_id param_id;
} clap_event_param_gesture;

typedef struct clap_event_midi {
    clap_event_header header;
    uint16_t port_index;
    uint8_t data[3];
} clap_event_midi;

/* Sorted by time; valid only during the call that hands them over. */
typedef struct clap_input_events {
    void* ctx;
    uint32_t(CLAP_CALL* size)(const struct clap_input_events* list);
    const clap_event_header*(CLAP_CALL* get)(const struct clap_input_events* list, uint32_t index);
} clap_input_events;

/* The host copies each event (`size` bytes); false: not taken. */
typedef struct clap_output_events {
    void* ctx;
    bool(CLAP_CALL* try_push)(const struct clap_output_events* list,
                              const clap_event_header* event);
} clap_output_events;

/* ---- Processing -------------------------------------------------------- */

/* One per port, index = port index. 32-bit buffers always; 64-bit only for
 * ports that announce them. A constant_mask bit is a hint only: the channel's
 * samples are written all the same. */
typedef struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
} clap_audio_buffer;

typedef struct clap_process {
    int64_t steady_time; /* -1 when unknown */
    uint32_t frames_count;
    const clap_event_transport* transport; /* may be null */
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
} clap_process;

/* ---- State streams ----------------------------------------------------- */

/* Both answer the bytes moved, possibly fewer than asked (callers loop);
 * 0 from read is the end of the stream, -1 an error. */
typedef struct clap_istream {
    void* ctx;
    int64_t(CLAP_CALL* read)(const struct clap_istream* stream, void* buffer, uint64_t size);
} clap_istream;

typedef struct clap_ostream {
    void* ctx;
    int64_t(CLAP_CALL* write)(const struct clap_ostream* stream, const void* buffer, uint64_t size);
} clap_ostream;

/* ---- Extension ids (the same id names a plug-in's and a host's table) -- */

#define CLAP_EXT_PARAMS "clap.params"
#define CLAP_EXT_STATE "clap.state"
#define CLAP_EXT_AUDIO_PORTS "clap.audio-ports"
#define CLAP_EXT_NOTE_PORTS "clap.note-ports"
#define CLAP_EXT_GUI "clap.gui"
#define CLAP_EXT_LATENCY "clap.latency"
#define CLAP_EXT_TIMER_SUPPORT "clap.timer-support"
#define CLAP_EXT_POSIX_FD_SUPPORT "clap.posix-fd-support"
#define CLAP_EXT_THREAD_CHECK "clap.thread-check"
#define CLAP_EXT_LOG "clap.log"

/* ---- Parameters -------------------------------------------------------- */

typedef uint32_t clap_param_info_flags;
enum {
    CLAP_PARAM_IS_STEPPED = 1 << 0, /* values truncate toward zero to integers */
    CLAP_PARAM_IS_PERIODIC = 1 << 1,
    CLAP_PARAM_IS_HIDDEN = 1 << 2,
    CLAP_PARAM_IS_READONLY = 1 << 3,
    CLAP_PARAM_IS_BYPASS = 1 << 4,
    CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
    CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1 << 6,
    CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1 << 7,
    CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1 << 8,
    CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1 << 9,
    CLAP_PARAM_IS_MODULATABLE = 1 << 10,
    CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1 << 11,
    CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1 << 12,
    CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1 << 13,
    CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1 << 14,
    CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
    CLAP_PARAM_IS_ENUM = 1 << 16, /* together with IS_STEPPED */
};

/* min, max and default finite, default within the range. */
typedef struct clap_param_info {
    clap_id id;
    clap_param_info_flags flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
} clap_param_info;

typedef struct clap_plugin_params {
    uint32_t(CLAP_CALL* count)(const clap_plugin* plugin);
    bool(CLAP_CALL* get_info)(const clap_plugin* plugin, uint32_t param_index,
                              clap_param_info* param_info);
    bool(CLAP_CALL* get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);
    bool(CLAP_CALL* value_to_text)(const clap_plugin* plugin, clap_id param_id, double value,
                                   char* out_buffer, uint32_t out_buffer_capacity);
    bool(CLAP_CALL* text_to_value)(const clap_plugin* plugin, clap_id param_id,
                                   const char* param_value_text, double* out_value);
    /* Audio thread while active, main thread while inactive. */
    void(CLAP_CALL* flush)(const clap_plugin* plugin, const clap_input_events* in,
                           const clap_output_events* out);
} clap_plugin_params;

typedef uint32_t clap_param_rescan_flags;
enum {
    CLAP_PARAM_RESCAN_VALUES = 1 << 0,
    CLAP_PARAM_RESCAN_TEXT = 1 << 1,
    CLAP_PARAM_RESCAN_INFO = 1 << 2,
    CLAP_PARAM_RESCAN_ALL = 1 << 3,
};

typedef uint32_t clap_param_clear_flags;
enum {
    CLAP_PARAM_CLEAR_ALL = 1 << 0,
    CLAP_PARAM_CLEAR_AUTOMATIONS = 1 << 1,
    CLAP_PARAM_CLEAR_MODULATIONS = 1 << 2,
};

typedef struct clap_host_params {
    void(CLAP_CALL* rescan)(const clap_host* host, clap_param_rescan_flags flags);
    void(CLAP_CALL* clear)(const clap_host* host, clap_id param_id, clap_param_clear_flags flags);
    void(CLAP_CALL* request_flush)(const clap_host* host);
} clap_host_params;

/* ---- Audio ports ------------------------------------------------------- */

enum {
    CLAP_AUDIO_PORT_IS_MAIN = 1 << 0, /* port 0 only */
    CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
    CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
    CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};

#define CLAP_PORT_MONO "mono"
#define CLAP_PORT_STEREO "stereo"

typedef struct clap_audio_port_info {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type; /* CLAP_PORT_MONO, CLAP_PORT_STEREO, or null */
    clap_id in_place_pair; /* CLAP_INVALID_ID when none */
} clap_audio_port_info;

typedef struct clap_plugin_audio_ports {
    uint32_t(CLAP_CALL* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_CALL* get)(const clap_plugin* plugin, uint32_t index, bool is_input,
                         clap_audio_port_info* info);
} clap_plugin_audio_ports;

/* ---- Note ports -------------------------------------------------------- */

enum {
    CLAP_NOTE_DIALECT_CLAP = 1 << 0,
    CLAP_NOTE_DIALECT_MIDI = 1 << 1,
    CLAP_NOTE_DIALECT_MIDI_MPE = 1 << 2,
    CLAP_NOTE_DIALECT_MIDI2 = 1 << 3,
};

typedef struct clap_note_port_info {
    clap_id id;
    uint32_t supported_dialects; /* bit set */
    uint32_t preferred_dialect;  /* one bit */
    char name[CLAP_NAME_SIZE];
} clap_note_port_info;

typedef struct clap_plugin_note_ports {
    uint32_t(CLAP_CALL* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_CALL* get)(const clap_plugin* plugin, uint32_t index, bool is_input,
                         clap_note_port_info* info);
} clap_plugin_note_ports;

enum {
    CLAP_NOTE_PORTS_RESCAN_ALL = 1 << 0,
    CLAP_NOTE_PORTS_RESCAN_NAMES = 1 << 1,
};

typedef struct clap_host_note_ports {
    uint32_t(CLAP_CALL* supported_dialects)(const clap_host* host);
    void(CLAP_CALL* rescan)(const clap_host* host, uint32_t flags);
} clap_host_note_ports;

/* ---- State ------------------------------------------------------------- */

typedef struct clap_plugin_state {
    bool(CLAP_CALL* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(CLAP_CALL* load)(const clap_plugin* plugin, const clap_istream* stream);
} clap_plugin_state;

typedef struct clap_host_state {
    void(CLAP_CALL* mark_dirty)(const clap_host* host);
} clap_host_state;

/* ---- Gui --------------------------------------------------------------- */

#define CLAP_WINDOW_API_WIN32 "win32"
#define CLAP_WINDOW_API_X11 "x11"
#define CLAP_WINDOW_API_COCOA "cocoa"
#define CLAP_WINDOW_API_UIKIT "uikit"
#define CLAP_WINDOW_API_WAYLAND "wayland"

/* A window of the host's: api names which member of the union is set. On
 * X11 the plug-in makes its window a child of the given id. */
typedef struct clap_window {
    const char* api;
    union {
        void* win32;       /* HWND */
        unsigned long x11; /* X11 Window */
        void* cocoa;
        void* ptr;
    };
} clap_window;

typedef struct clap_gui_resize_hints {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
} clap_gui_resize_hints;

/* Win32 and X11 sizes are physical pixels. */
typedef struct clap_plugin_gui {
    bool(CLAP_CALL* is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
    /* Assigns one of the CLAP_WINDOW_API_ constants, not a copy. */
    bool(CLAP_CALL* get_preferred_api)(const clap_plugin* plugin, const char** api,
                                       bool* is_floating);
    bool(CLAP_CALL* create)(const clap_plugin* plugin, const char* api, bool is_floating);
    void(CLAP_CALL* destroy)(const clap_plugin* plugin);
    bool(CLAP_CALL* set_scale)(const clap_plugin* plugin, double scale);
    bool(CLAP_CALL* get_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_CALL* can_resize)(const clap_plugin* plugin);
    bool(CLAP_CALL* get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
    bool(CLAP_CALL* adjust_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_CALL* set_size)(const clap_plugin* plugin, uint32_t width, uint32_t height);
    bool(CLAP_CALL* set_parent)(const clap_plugin* plugin, const clap_window* window);
    bool(CLAP_CALL* set_transient)(const clap_plugin* plugin, const clap_window* window);
    void(CLAP_CALL* suggest_title)(const clap_plugin* plugin, const char* title);
    bool(CLAP_CALL* show)(const clap_plugin* plugin);
    bool(CLAP_CALL* hide)(const clap_plugin* plugin);
} clap_plugin_gui;

typedef struct clap_host_gui {
    void(CLAP_CALL* resize_hints_changed)(const clap_host* host);
    bool(CLAP_CALL* request_resize)(const clap_host* host, uint32_t width, uint32_t height);
    bool(CLAP_CALL* request_show)(const clap_host* host);
    bool(CLAP_CALL* request_hide)(const clap_host* host);
    void(CLAP_CALL* closed)(const clap_host* host, bool was_destroyed);
} clap_host_gui;

/* ---- Timers and file descriptors (the plug-in's idle calls on Linux) --- */

typedef struct clap_plugin_timer_support {
    void(CLAP_CALL* on_timer)(const clap_plugin* plugin, clap_id timer_id);
} clap_plugin_timer_support;

/* The host may stretch very short periods. */
typedef struct clap_host_timer_support {
    bool(CLAP_CALL* register_timer)(const clap_host* host, uint32_t period_ms, clap_id* timer_id);
    bool(CLAP_CALL* unregister_timer)(const clap_host* host, clap_id timer_id);
} clap_host_timer_support;

typedef uint32_t clap_posix_fd_flags;
enum {
    CLAP_POSIX_FD_READ = 1 << 0,
    CLAP_POSIX_FD_WRITE = 1 << 1,
    CLAP_POSIX_FD_ERROR = 1 << 2,
};

/* Level-triggered: a readable descriptor is reported until drained. */
typedef struct clap_plugin_posix_fd_support {
    void(CLAP_CALL* on_fd)(const clap_plugin* plugin, int fd, clap_posix_fd_flags flags);
} clap_plugin_posix_fd_support;

typedef struct clap_host_posix_fd_support {
    bool(CLAP_CALL* register_fd)(const clap_host* host, int fd, clap_posix_fd_flags flags);
    bool(CLAP_CALL* modify_fd)(const clap_host* host, int fd, clap_posix_fd_flags flags);
    bool(CLAP_CALL* unregister_fd)(const clap_host* host, int fd);
} clap_host_posix_fd_support;

/* ---- Latency, thread check, log ---------------------------------------- */

typedef struct clap_plugin_latency {
    uint32_t(CLAP_CALL* get)(const clap_plugin* plugin); /* samples */
} clap_plugin_latency;

/* Only during activate. */
typedef struct clap_host_latency {
    void(CLAP_CALL* changed)(const clap_host* host);
} clap_host_latency;

typedef struct clap_host_thread_check {
    bool(CLAP_CALL* is_main_thread)(const clap_host* host);
    bool(CLAP_CALL* is_audio_thread)(const clap_host* host);
} clap_host_thread_check;

typedef int32_t clap_log_severity;
enum {
    CLAP_LOG_DEBUG = 0,
    CLAP_LOG_INFO = 1,
    CLAP_LOG_WARNING = 2,
    CLAP_LOG_ERROR = 3,
    CLAP_LOG_FATAL = 4,
    CLAP_LOG_HOST_MISBEHAVING = 5,
    CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};

typedef struct clap_host_log {
    void(CLAP_CALL* log)(const clap_host* host, clap_log_severity severity, const char* msg);
} clap_host_log;

#ifdef __cplusplus
}
#endif

/* ---- Layouts on the measured targets ------------------------------------
 * L64: x86_64 Linux; W32, W64: 32-bit and 64-bit Windows (mingw follows the
 * Microsoft layout: doubles and 64-bit integers 8-aligned inside structs on
 * W32 too). Other targets keep their compiler's natural layout unchecked. */
#if defined(_WIN64)
#define CLAP_ABI_LAYOUT(l64, w32, w64) (w64)
#elif defined(_WIN32)
#define CLAP_ABI_LAYOUT(l64, w32, w64) (w32)
#elif defined(__x86_64__) && defined(__linux__)
#define CLAP_ABI_LAYOUT(l64, w32, w64) (l64)
#endif

#ifdef __cplusplus
#define CLAP_ABI_ALIGN(type) alignof(type)
#else
#define CLAP_ABI_ALIGN(type) _Alignof(type)
#endif

#ifdef CLAP_ABI_LAYOUT
#define CLAP_ABI_SIZE(type, l64, w32, w64)                                                         \
    static_assert(sizeof(type) == CLAP_ABI_LAYOUT(l64, w32, w64), #type " size")
#define CLAP_ABI_AT(type, field, l64, w32, w64)                                                    \
    static_assert(offsetof(type, field) == CLAP_ABI_LAYOUT(l64, w32, w64), #type "." #field)
#define CLAP_ABI_ALIGNED(type, l64, w32, w64)                                                      \
    static_assert(CLAP_ABI_ALIGN(type) == CLAP_ABI_LAYOUT(l64, w32, w64), #type " alignment")

static_assert(sizeof(bool) == 1, "bool is one byte");
CLAP_ABI_SIZE(clap_version, 12, 12, 12);
CLAP_ABI_ALIGNED(clap_version, 4, 4, 4);
CLAP_ABI_AT(clap_version, minor, 4, 4, 4);
CLAP_ABI_AT(clap_version, revision, 8, 8, 8);

CLAP_ABI_SIZE(clap_plugin_entry, 40, 24, 40);
CLAP_ABI_AT(clap_plugin_entry, init, 16, 12, 16);
CLAP_ABI_AT(clap_plugin_entry, deinit, 24, 16, 24);
CLAP_ABI_AT(clap_plugin_entry, get_factory, 32, 20, 32);

CLAP_ABI_SIZE(clap_plugin_factory, 24, 12, 24);
CLAP_ABI_AT(clap_plugin_factory, get_plugin_descriptor, 8, 4, 8);
CLAP_ABI_AT(clap_plugin_factory, create_plugin, 16, 8, 16);

CLAP_ABI_SIZE(clap_plugin_descriptor, 88, 48, 88);
CLAP_ABI_AT(clap_plugin_descriptor, id, 16, 12, 16);
CLAP_ABI_AT(clap_plugin_descriptor, name, 24, 16, 24);
CLAP_ABI_AT(clap_plugin_descriptor, vendor, 32, 20, 32);
CLAP_ABI_AT(clap_plugin_descriptor, url, 40, 24, 40);
CLAP_ABI_AT(clap_plugin_descriptor, manual_url, 48, 28, 48);
CLAP_ABI_AT(clap_plugin_descriptor, support_url, 56, 32, 56);
CLAP_ABI_AT(clap_plugin_descriptor, version, 64, 36, 64);
CLAP_ABI_AT(clap_plugin_descriptor, description, 72, 40, 72);
CLAP_ABI_AT(clap_plugin_descriptor, features, 80, 44, 80);

CLAP_ABI_SIZE(clap_plugin, 96, 48, 96);
CLAP_ABI_AT(clap_plugin, plugin_data, 8, 4, 8);
CLAP_ABI_AT(clap_plugin, init, 16, 8, 16);
CLAP_ABI_AT(clap_plugin, destroy, 24, 12, 24);
CLAP_ABI_AT(clap_plugin, activate, 32, 16, 32);
CLAP_ABI_AT(clap_plugin, deactivate, 40, 20, 40);
CLAP_ABI_AT(clap_plugin, start_processing, 48, 24, 48);
CLAP_ABI_AT(clap_plugin, stop_processing, 56, 28, 56);
CLAP_ABI_AT(clap_plugin, reset, 64, 32, 64);
CLAP_ABI_AT(clap_plugin, process, 72, 36, 72);
CLAP_ABI_AT(clap_plugin, get_extension, 80, 40, 80);
CLAP_ABI_AT(clap_plugin, on_main_thread, 88, 44, 88);

CLAP_ABI_SIZE(clap_host, 88, 48, 88);
CLAP_ABI_AT(clap_host, host_data, 16, 12, 16);
CLAP_ABI_AT(clap_host, name, 24, 16, 24);
CLAP_ABI_AT(clap_host, vendor, 32, 20, 32);
CLAP_ABI_AT(clap_host, url, 40, 24, 40);
CLAP_ABI_AT(clap_host, version, 48, 28, 48);
CLAP_ABI_AT(clap_host, get_extension, 56, 32, 56);
CLAP_ABI_AT(clap_host, request_restart, 64, 36, 64);
CLAP_ABI_AT(clap_host, request_process, 72, 40, 72);
CLAP_ABI_AT(clap_host, request_callback, 80, 44, 80);

CLAP_ABI_SIZE(clap_process, 64, 40, 64);
CLAP_ABI_ALIGNED(clap_process, 8, 8, 8);
CLAP_ABI_AT(clap_process, frames_count, 8, 8, 8);
CLAP_ABI_AT(clap_process, transport, 16, 12, 16);
CLAP_ABI_AT(clap_process, audio_inputs, 24, 16, 24);
CLAP_ABI_AT(clap_process, audio_outputs, 32, 20, 32);
CLAP_ABI_AT(clap_process, audio_inputs_count, 40, 24, 40);
CLAP_ABI_AT(clap_process, audio_outputs_count, 44, 28, 44);
CLAP_ABI_AT(clap_process, in_events, 48, 32, 48);
CLAP_ABI_AT(clap_process, out_events, 56, 36, 56);

CLAP_ABI_SIZE(clap_audio_buffer, 32, 24, 32);
CLAP_ABI_ALIGNED(clap_audio_buffer, 8, 8, 8);
CLAP_ABI_AT(clap_audio_buffer, data64, 8, 4, 8);
CLAP_ABI_AT(clap_audio_buffer, channel_count, 16, 8, 16);
CLAP_ABI_AT(clap_audio_buffer, latency, 20, 12, 20);
CLAP_ABI_AT(clap_audio_buffer, constant_mask, 24, 16, 24);

CLAP_ABI_SIZE(clap_input_events, 24, 12, 24);
CLAP_ABI_AT(clap_input_events, size, 8, 4, 8);
CLAP_ABI_AT(clap_input_events, get, 16, 8, 16);
CLAP_ABI_SIZE(clap_output_events, 16, 8, 16);
CLAP_ABI_AT(clap_output_events, try_push, 8, 4, 8);

CLAP_ABI_SIZE(clap_event_header, 16, 16, 16);
CLAP_ABI_ALIGNED(clap_event_header, 4, 4, 4);
CLAP_ABI_AT(clap_event_header, time, 4, 4, 4);
CLAP_ABI_AT(clap_event_header, space_id, 8, 8, 8);
CLAP_ABI_AT(clap_event_header, type, 10, 10, 10);
CLAP_ABI_AT(clap_event_header, flags, 12, 12, 12);

CLAP_ABI_SIZE(clap_event_note, 40, 40, 40);
CLAP_ABI_ALIGNED(clap_event_note, 8, 8, 8);
CLAP_ABI_AT(clap_event_note, note_id, 16, 16, 16);
CLAP_ABI_AT(clap_event_note, port_index, 20, 20, 20);
CLAP_ABI_AT(clap_event_note, channel, 22, 22, 22);
CLAP_ABI_AT(clap_event_note, key, 24, 24, 24);
CLAP_ABI_AT(clap_event_note, velocity, 32, 32, 32);

CLAP_ABI_SIZE(clap_event_midi, 24, 24, 24);
CLAP_ABI_ALIGNED(clap_event_midi, 4, 4, 4);
CLAP_ABI_AT(clap_event_midi, port_index, 16, 16, 16);
CLAP_ABI_AT(clap_event_midi, data, 18, 18, 18);

CLAP_ABI_SIZE(clap_event_param_value, 56, 48, 56);
CLAP_ABI_ALIGNED(clap_event_param_value, 8, 8, 8);
CLAP_ABI_AT(clap_event_param_value, param_id, 16, 16, 16);
CLAP_ABI_AT(clap_event_param_value, cookie, 24, 20, 24);
CLAP_ABI_AT(clap_event_param_value, note_id, 32, 24, 32);
CLAP_ABI_AT(clap_event_param_value, port_index, 36, 28, 36);
CLAP_ABI_AT(clap_event_param_value, channel, 38, 30, 38);
CLAP_ABI_AT(clap_event_param_value, key, 40, 32, 40);
CLAP_ABI_AT(clap_event_param_value, value, 48, 40, 48);

CLAP_ABI_SIZE(clap_event_param_gesture, 20, 20, 20);
CLAP_ABI_ALIGNED(clap_event_param_gesture, 4, 4, 4);
CLAP_ABI_AT(clap_event_param_gesture, param_id, 16, 16, 16);

CLAP_ABI_SIZE(clap_istream, 16, 8, 16);
CLAP_ABI_AT(clap_istream, read, 8, 4, 8);
CLAP_ABI_SIZE(clap_ostream, 16, 8, 16);
CLAP_ABI_AT(clap_ostream, write, 8, 4, 8);

CLAP_ABI_SIZE(clap_plugin_params, 48, 24, 48);
CLAP_ABI_AT(clap_plugin_params, get_info, 8, 4, 8);
CLAP_ABI_AT(clap_plugin_params, get_value, 16, 8, 16);
CLAP_ABI_AT(clap_plugin_params, value_to_text, 24, 12, 24);
CLAP_ABI_AT(clap_plugin_params, text_to_value, 32, 16, 32);
CLAP_ABI_AT(clap_plugin_params, flush, 40, 20, 40);

CLAP_ABI_SIZE(clap_param_info, 1320, 1320, 1320);
CLAP_ABI_ALIGNED(clap_param_info, 8, 8, 8);
CLAP_ABI_AT(clap_param_info, flags, 4, 4, 4);
CLAP_ABI_AT(clap_param_info, cookie, 8, 8, 8);
CLAP_ABI_AT(clap_param_info, name, 16, 12, 16);
CLAP_ABI_AT(clap_param_info, module, 272, 268, 272);
CLAP_ABI_AT(clap_param_info, min_value, 1296, 1296, 1296);
CLAP_ABI_AT(clap_param_info, max_value, 1304, 1304, 1304);
CLAP_ABI_AT(clap_param_info, default_value, 1312, 1312, 1312);

CLAP_ABI_SIZE(clap_host_params, 24, 12, 24);
CLAP_ABI_AT(clap_host_params, clear, 8, 4, 8);
CLAP_ABI_AT(clap_host_params, request_flush, 16, 8, 16);

CLAP_ABI_SIZE(clap_plugin_audio_ports, 16, 8, 16);
CLAP_ABI_AT(clap_plugin_audio_ports, get, 8, 4, 8);
CLAP_ABI_SIZE(clap_audio_port_info, 288, 276, 288);
CLAP_ABI_ALIGNED(clap_audio_port_info, 8, 4, 8);
CLAP_ABI_AT(clap_audio_port_info, name, 4, 4, 4);
CLAP_ABI_AT(clap_audio_port_info, flags, 260, 260, 260);
CLAP_ABI_AT(clap_audio_port_info, channel_count, 264, 264, 264);
CLAP_ABI_AT(clap_audio_port_info, port_type, 272, 268, 272);
CLAP_ABI_AT(clap_audio_port_info, in_place_pair, 280, 272, 280);

CLAP_ABI_SIZE(clap_plugin_note_ports, 16, 8, 16);
CLAP_ABI_AT(clap_plugin_note_ports, get, 8, 4, 8);
CLAP_ABI_SIZE(clap_note_port_info, 268, 268, 268);
CLAP_ABI_ALIGNED(clap_note_port_info, 4, 4, 4);
CLAP_ABI_AT(clap_note_port_info, supported_dialects, 4, 4, 4);
CLAP_ABI_AT(clap_note_port_info, preferred_dialect, 8, 8, 8);
CLAP_ABI_AT(clap_note_port_info, name, 12, 12, 12);
CLAP_ABI_SIZE(clap_host_note_ports, 16, 8, 16);
CLAP_ABI_AT(clap_host_note_ports, rescan, 8, 4, 8);

CLAP_ABI_SIZE(clap_plugin_state, 16, 8, 16);
CLAP_ABI_AT(clap_plugin_state, load, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_state, 8, 4, 8);

CLAP_ABI_SIZE(clap_plugin_gui, 120, 60, 120);
CLAP_ABI_AT(clap_plugin_gui, get_preferred_api, 8, 4, 8);
CLAP_ABI_AT(clap_plugin_gui, create, 16, 8, 16);
CLAP_ABI_AT(clap_plugin_gui, destroy, 24, 12, 24);
CLAP_ABI_AT(clap_plugin_gui, set_scale, 32, 16, 32);
CLAP_ABI_AT(clap_plugin_gui, get_size, 40, 20, 40);
CLAP_ABI_AT(clap_plugin_gui, can_resize, 48, 24, 48);
CLAP_ABI_AT(clap_plugin_gui, get_resize_hints, 56, 28, 56);
CLAP_ABI_AT(clap_plugin_gui, adjust_size, 64, 32, 64);
CLAP_ABI_AT(clap_plugin_gui, set_size, 72, 36, 72);
CLAP_ABI_AT(clap_plugin_gui, set_parent, 80, 40, 80);
CLAP_ABI_AT(clap_plugin_gui, set_transient, 88, 44, 88);
CLAP_ABI_AT(clap_plugin_gui, suggest_title, 96, 48, 96);
CLAP_ABI_AT(clap_plugin_gui, show, 104, 52, 104);
CLAP_ABI_AT(clap_plugin_gui, hide, 112, 56, 112);
CLAP_ABI_SIZE(clap_window, 16, 8, 16);
CLAP_ABI_AT(clap_window, win32, 8, 4, 8);
CLAP_ABI_AT(clap_window, x11, 8, 4, 8);
CLAP_ABI_SIZE(clap_gui_resize_hints, 12, 12, 12);
CLAP_ABI_AT(clap_gui_resize_hints, can_resize_vertically, 1, 1, 1);
CLAP_ABI_AT(clap_gui_resize_hints, preserve_aspect_ratio, 2, 2, 2);
CLAP_ABI_AT(clap_gui_resize_hints, aspect_ratio_width, 4, 4, 4);
CLAP_ABI_AT(clap_gui_resize_hints, aspect_ratio_height, 8, 8, 8);
CLAP_ABI_SIZE(clap_host_gui, 40, 20, 40);
CLAP_ABI_AT(clap_host_gui, request_resize, 8, 4, 8);
CLAP_ABI_AT(clap_host_gui, closed, 32, 16, 32);

CLAP_ABI_SIZE(clap_plugin_timer_support, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_timer_support, 16, 8, 16);
CLAP_ABI_AT(clap_host_timer_support, unregister_timer, 8, 4, 8);
CLAP_ABI_SIZE(clap_plugin_posix_fd_support, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_posix_fd_support, 24, 12, 24);
CLAP_ABI_AT(clap_host_posix_fd_support, unregister_fd, 16, 8, 16);
CLAP_ABI_SIZE(clap_plugin_latency, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_latency, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_thread_check, 16, 8, 16);
CLAP_ABI_AT(clap_host_thread_check, is_audio_thread, 8, 4, 8);
CLAP_ABI_SIZE(clap_host_log, 8, 4, 8);

#undef CLAP_ABI_SIZE
#undef CLAP_ABI_AT
#undef CLAP_ABI_ALIGNED
#endif /* CLAP_ABI_LAYOUT */
#undef CLAP_ABI_LAYOUT
#undef CLAP_ABI_ALIGN
