// The player as a JACK client "T-815": two audio outputs and one MIDI
// input, rendered in JACK's process callback, which splits each period at
// its MIDI events' frames (timed_midi.h) and never waits or allocates. The
// server's rate reaches the instance through its sample-rate change; buffer
// size changes need nothing, as the callback renders straight into JACK's
// buffers, and a period of any length (1 to JACK's largest) renders whole.
// When the server goes away, the shutdown callback marks the session lost
// and the main loop ends the program.
#include "audio_session.h"

#include "instrument_operations.h"
#include "timed_midi.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace t815 {

struct AudioSession {
    PluginInstance* instance = nullptr;
    jack_client_t* client = nullptr;
    jack_port_t* left = nullptr;
    jack_port_t* right = nullptr;
    jack_port_t* midiIn = nullptr;
    std::atomic<bool> lost{false};
    char lostReason[256] = {};
};

namespace {

constexpr const char* kClientName = "T-815";

// How long a player asked to quit waits for the server to take its client
// back. jack_client_close waits for the server's answer, and a server stuck
// in a driver switch (jackdbus, when a client leaves mid-switch) never gives
// one.
constexpr auto kCloseDeadline = std::chrono::seconds(2);

// SIGINT and SIGTERM are for the main thread alone: the player's handler
// does not restart interrupted calls, and a JACK thread whose read from the
// server fails takes the server for gone. JACK's threads, started while the
// two are held, keep them blocked.
sigset_t holdQuitSignals() {
    sigset_t quit;
    sigset_t previous;
    sigemptyset(&quit);
    sigaddset(&quit, SIGINT);
    sigaddset(&quit, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &quit, &previous);
    return previous;
}

void releaseQuitSignals(const sigset_t& previous) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// JACK's library prints its own lines while connecting; the player says in
// one line of its own what went wrong.
void quietly(const char*) {}

void silenceJack() {
    jack_set_error_function(quietly);
    jack_set_info_function(quietly);
}

jack_client_t* openClient(std::string& error) {
    silenceJack();
    jack_status_t status{};
    jack_client_t* client = jack_client_open(kClientName, JackNoStartServer, &status);
    if (!client) {
        error = (status & JackServerFailed) || (status & JackServerError)
                    ? "no JACK server is running (start one, e.g. jackd -d alsa)"
                    : "the JACK server refused the client";
    }
    return client;
}

bool readJackEvent(const void* buffer, std::uint32_t i, TimedMidi& event) {
    jack_midi_event_t raw;
    if (jack_midi_event_get(&raw, const_cast<void*>(buffer), i) != 0) return false;
    // Channel messages only: one status byte of 0x80..0xEF and its data.
    if (raw.size < 1 || raw.size > 3 || raw.buffer[0] < 0x80 || raw.buffer[0] >= 0xF0) return false;
    event.frame = raw.time;
    event.message = {{raw.buffer[0], raw.size > 1 ? raw.buffer[1] : std::uint8_t{0},
                      raw.size > 2 ? raw.buffer[2] : std::uint8_t{0}}};
    return true;
}

int process(jack_nframes_t frames, void* argument) {
    AudioSession& session = *static_cast<AudioSession*>(argument);
    auto* left = static_cast<float*>(jack_port_get_buffer(session.left, frames));
    auto* right = static_cast<float*>(jack_port_get_buffer(session.right, frames));
    if (!left || !right) return 0;
    void* midi = jack_port_get_buffer(session.midiIn, frames);
    const std::uint32_t count = midi ? jack_midi_get_event_count(midi) : 0;
    renderWithTimedMidi(*session.instance, left, right, frames, midi, count, readJackEvent);
    return 0;
}

// Called on JACK's notification thread; the change is queued for the next
// period (hand_off.h). A rate of 0 would mean none, and is not taken.
int sampleRateChanged(jack_nframes_t rate, void* argument) {
    if (rate == 0) return 0;
    setSampleRate(*static_cast<AudioSession*>(argument)->instance, static_cast<float>(rate));
    return 0;
}

int bufferSizeChanged(jack_nframes_t, void*) {
    return 0; // nothing is sized by the period
}

void serverGone(jack_status_t, const char* reason, void* argument) {
    AudioSession& session = *static_cast<AudioSession*>(argument);
    if (session.lost.load()) return; // the main thread may be reading the reason
    std::strncpy(session.lostReason, reason ? reason : "", sizeof session.lostReason - 1);
    session.lost.store(true);
}

// Connects every port of the list to ours, in the direction given.
void connectAll(jack_client_t* client, const char** ports, const char* ours, bool fromTheirs) {
    for (std::size_t i = 0; ports && ports[i]; ++i) {
        if (fromTheirs)
            jack_connect(client, ports[i], ours);
        else
            jack_connect(client, ours, ports[i]);
    }
}

void connectPorts(AudioSession& session, const PlayerOptions& options, std::string& warning) {
    jack_client_t* client = session.client;
    const char** playback = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsPhysical | JackPortIsInput);
    if (playback && playback[0]) {
        jack_connect(client, jack_port_name(session.left), playback[0]);
        jack_connect(client, jack_port_name(session.right),
                     playback[1] ? playback[1] : playback[0]);
    }
    jack_free(playback);
    const char* midiIn = jack_port_name(session.midiIn);
    if (options.midiSources.empty()) {
        const char** sources = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                              JackPortIsPhysical | JackPortIsOutput);
        connectAll(client, sources, midiIn, true);
        jack_free(sources);
    }
    for (const std::string& source : options.midiSources) {
        const int result = jack_connect(client, source.c_str(), midiIn);
        if (result != 0 && result != EEXIST)
            warning += "cannot connect the MIDI source '" + source + "'\n";
    }
}

// The client opened, its ports and callbacks set, activated and connected.
AudioSession* openSession(PluginInstance& instance, const PlayerOptions& options,
                          std::string& error) {
    jack_client_t* client = openClient(error);
    if (!client) return nullptr;
    auto* session = new (std::nothrow) AudioSession;
    if (!session) {
        jack_client_close(client);
        error = "out of memory";
        return nullptr;
    }
    session->instance = &instance;
    session->client = client;
    session->left = jack_port_register(client, "out_left", JACK_DEFAULT_AUDIO_TYPE,
                                       JackPortIsOutput | JackPortIsTerminal, 0);
    session->right = jack_port_register(client, "out_right", JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsOutput | JackPortIsTerminal, 0);
    session->midiIn = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE,
                                         JackPortIsInput | JackPortIsTerminal, 0);
    setSampleRate(instance, static_cast<float>(jack_get_sample_rate(client)));
    if (!session->left || !session->right || !session->midiIn ||
        jack_set_process_callback(client, process, session) != 0 ||
        jack_set_sample_rate_callback(client, sampleRateChanged, session) != 0 ||
        jack_set_buffer_size_callback(client, bufferSizeChanged, session) != 0) {
        error = "the JACK server refused the client's ports or callbacks";
        stopAudio(session);
        return nullptr;
    }
    jack_on_info_shutdown(client, serverGone, session);
    if (jack_activate(client) != 0) {
        error = "the JACK server did not activate the client";
        stopAudio(session);
        return nullptr;
    }
    if (options.connect) {
        std::string warning;
        connectPorts(*session, options, warning);
        if (!warning.empty()) std::fprintf(stderr, "t815-play: %s", warning.c_str());
    }
    return session;
}

// Closes the client on a thread of its own, waiting at most kCloseDeadline.
// False when the server did not answer in time: the close is left running,
// and the client's threads may still call its callbacks.
bool closeWithin(jack_client_t* client) {
    auto closed = std::make_shared<std::atomic<bool>>(false);
    try {
        std::thread([client, closed] {
            jack_client_close(client);
            closed->store(true);
        }).detach();
    } catch (const std::system_error&) {
        jack_client_close(client); // no thread to spare: wait as long as it takes
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + kCloseDeadline;
    while (!closed->load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return closed->load();
}

} // namespace

AudioSession* startAudio(PluginInstance& instance, const PlayerOptions& options,
                         std::string& error) {
    const sigset_t signals = holdQuitSignals();
    AudioSession* session = openSession(instance, options, error);
    releaseQuitSignals(signals);
    return session;
}

bool audioLost(AudioSession* session, std::string& why) {
    if (!session->lost.load()) return false;
    why = "the JACK server went away";
    if (session->lostReason[0]) why += std::string(" (") + session->lostReason + ")";
    return true;
}

bool stopAudio(AudioSession* session) {
    if (!session) return true;
    // After the server went away the client is closed all the same, which
    // only frees it. A session whose close never ended stays allocated: the
    // callbacks it was given may yet run.
    if (!closeWithin(session->client)) return false;
    delete session;
    return true;
}

bool listMidiSources(std::vector<std::string>& names, std::string& error) {
    const sigset_t signals = holdQuitSignals();
    jack_client_t* client = openClient(error);
    releaseQuitSignals(signals);
    if (!client) return false;
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    for (std::size_t i = 0; ports && ports[i]; ++i)
        names.push_back(ports[i]);
    jack_free(ports);
    jack_client_close(client);
    return true;
}

} // namespace t815
