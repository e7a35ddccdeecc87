// A JACK test client of ours for t815-play: a sender client plays MIDI into
// T-815:midi_in at chosen frames (on period boundaries and between them), a
// recorder client records T-815's two outputs from the same frame on, and
// the recording must equal, to the bit, the instrument shell rendered
// directly with the same events at the same frames. Sender, player and
// recorder run in that order within each JACK cycle, so MIDI sent in a
// cycle is heard in the recording of that cycle. Both count the frames of
// their cycles themselves, so the recording's timeline holds whatever the
// period and the server's frame clock do.
//
// While it records, the client changes the server's period again and again
// (to 64, to 1, to 100, to the largest JACK allows): the player must play on
// bit-exactly through every change, events falling anywhere in the periods.
//
// The player has rendered an unknown number of whole periods before the
// first event. At 48 kHz with a period a multiple of 16 frames that makes no
// difference: the idle instrument keeps its state, and the rate converter's
// phase (33,000 / 48,000 = 11 / 16) comes back every 16 frames. Given a RATE,
// the client prints "linked" once connected and waits for the server to run
// at RATE before it plays; the test switches the server's rate meanwhile. At
// 96 kHz the phase (11 / 32) comes back every 32 frames, so a player that
// followed the change idly plays like a fresh instrument at 96 kHz.
//
//   player_jack_client PROGRAM [RATE]  (the player was started with --program PROGRAM)
// Prints the program index its MIDI selected last; exit 0 when the
// recording matches, 1 when not, 2 when JACK fails.
#include "instrument_operations.h"
#include "instrument_render.h"
#include "midi_intake.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace t815;

struct ScheduledMidi {
    std::uint32_t frame; // from the first recorded frame
    MidiMessage message;
};

// Events at period starts (0, 512, 4096 with 128-frame periods) and inside
// periods, two on one frame, program changes in mid-period, and events in
// the stretches of every period the client changes to.
const ScheduledMidi kEvents[] = {
    {0, {{0x90, 60, 100}}},    {300, {{0x90, 64, 90}}},    {300, {{0xB0, 1, 80}}},
    {512, {{0xE0, 0, 90}}},    {1999, {{0x80, 60, 0}}},    {2100, {{0xC0, 20, 0}}},
    {2555, {{0x90, 62, 100}}}, {4096, {{0x90, 67, 100}}},  {4201, {{0x80, 62, 0}}},
    {6001, {{0x80, 64, 0}}},   {7777, {{0x90, 72, 110}}},  {9000, {{0x80, 67, 0}}},
    {9001, {{0xC0, 9, 0}}},    {9500, {{0x90, 48, 100}}},  {12345, {{0xB0, 1, 10}}},
    {20000, {{0x80, 72, 0}}},  {20000, {{0x90, 55, 100}}}, {30303, {{0xE0, 0, 20}}},
    {40000, {{0x80, 48, 0}}},  {40000, {{0x80, 55, 0}}},
};
constexpr std::size_t kEventCount = sizeof kEvents / sizeof kEvents[0];
constexpr std::uint32_t kRecordFrames = 48000;

// The periods the server is switched to while recording, each once the
// recording has reached the frame given.
struct PeriodChange {
    std::uint32_t from;
    jack_nframes_t period;
};
const PeriodChange kPeriodChanges[] = {{2000, 64}, {4000, 1}, {4300, 100}, {9000, 8192}};
constexpr std::size_t kPeriodChangeCount = sizeof kPeriodChanges / sizeof kPeriodChanges[0];

struct Session {
    jack_client_t* sender = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* inputs[2] = {};
    std::atomic<bool> armed{false};
    std::atomic<bool> started{false};
    std::uint64_t sent = 0;                // the sender's frames since the start
    std::atomic<std::uint64_t> cycleAt{0}; // where the cycle under way starts
    std::uint64_t recorded = 0;            // the recorder's frames since the start
    std::atomic<std::uint64_t> progress{0};
    std::atomic<unsigned> periodsSeen{0}; // bit i: kPeriodChanges[i].period was heard
    std::vector<float> samples[2];
    std::atomic<bool> done{false};
};

int send(jack_nframes_t frames, void* argument) {
    Session& session = *static_cast<Session*>(argument);
    void* buffer = jack_port_get_buffer(session.midiOut, frames);
    jack_midi_clear_buffer(buffer);
    if (!session.started.load()) {
        if (!session.armed.load()) return 0;
        session.started.store(true);
    }
    const std::uint64_t cycle = session.sent;
    session.cycleAt.store(cycle);
    for (const ScheduledMidi& event : kEvents)
        if (event.frame >= cycle && event.frame < cycle + frames)
            jack_midi_event_write(buffer, static_cast<jack_nframes_t>(event.frame - cycle),
                                  event.message.bytes, 3);
    session.sent += frames;
    return 0;
}

int record(jack_nframes_t frames, void* argument) {
    Session& session = *static_cast<Session*>(argument);
    if (!session.started.load() || session.done.load()) return 0;
    const std::uint64_t offset = session.recorded;
    if (offset != session.cycleAt.load()) return 0; // not in step with the sender: fails below
    for (int channel = 0; channel < 2; ++channel) {
        const auto* samples =
            static_cast<const float*>(jack_port_get_buffer(session.inputs[channel], frames));
        for (jack_nframes_t i = 0; i < frames && offset + i < kRecordFrames; ++i)
            session.samples[channel][offset + i] = samples[i];
    }
    for (std::size_t i = 0; i < kPeriodChangeCount; ++i)
        if (frames == kPeriodChanges[i].period) session.periodsSeen.fetch_or(1u << i);
    session.recorded += frames;
    session.progress.store(session.recorded);
    if (session.recorded >= kRecordFrames) session.done.store(true);
    return 0;
}

// The shell rendered straight through, with each event applied at its frame.
std::vector<float> reference(int program, float rate) {
    PluginInstance* instance = createPluginInstance({});
    setSampleRate(*instance, rate);
    selectProgramIndex(*instance, program, SelectSource::host);
    std::vector<float> left(kRecordFrames);
    std::uint32_t done = 0;
    for (std::size_t i = 0; i <= kEventCount; ++i) {
        const std::uint32_t until = i < kEventCount ? kEvents[i].frame : kRecordFrames;
        if (until > done)
            renderInstrumentBlock(*instance, &left[done], nullptr, std::int32_t(until - done));
        done = std::max(done, until);
        if (i < kEventCount) receiveMidi(*instance, &kEvents[i].message, 1);
    }
    destroyPluginInstance(instance);
    return left;
}

int lastProgramSent(int program) {
    for (const ScheduledMidi& event : kEvents)
        if ((event.message.bytes[0] & 0xF0) == 0xC0) program = event.message.bytes[1];
    return program;
}

int fail(const char* message) {
    std::fprintf(stderr, "player_jack_client: %s\n", message);
    return 2;
}

template <class Condition> bool waitUntil(Condition condition, int milliseconds) {
    for (int waited = 0; !condition() && waited < milliseconds; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

bool setPeriod(jack_client_t* client, jack_nframes_t period) {
    return jack_set_buffer_size(client, period) == 0 && jack_get_buffer_size(client) == period;
}

int run(int program, jack_nframes_t rate) {
    Session session;
    session.samples[0].assign(kRecordFrames, 0.0f);
    session.samples[1].assign(kRecordFrames, 0.0f);
    session.sender = jack_client_open("t815-test-sender", JackNoStartServer, nullptr);
    session.recorder = jack_client_open("t815-test-recorder", JackNoStartServer, nullptr);
    if (!session.sender || !session.recorder) return fail("no JACK server");
    session.midiOut =
        jack_port_register(session.sender, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    session.inputs[0] = jack_port_register(session.recorder, "in_left", JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput, 0);
    session.inputs[1] = jack_port_register(session.recorder, "in_right", JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput, 0);
    if (!session.midiOut || !session.inputs[0] || !session.inputs[1] ||
        jack_set_process_callback(session.sender, send, &session) != 0 ||
        jack_set_process_callback(session.recorder, record, &session) != 0 ||
        jack_activate(session.sender) != 0 || jack_activate(session.recorder) != 0)
        return fail("the test clients were refused");

    // The player's ports appear once it has registered them, and take
    // connections once it has activated its client, a moment later.
    const auto connected = [&](jack_client_t* client, const char* from, const char* to) {
        const int result = jack_connect(client, from, to);
        return result == 0 || result == EEXIST;
    };
    const bool linked = waitUntil(
        [&] {
            return connected(session.sender, "t815-test-sender:out", "T-815:midi_in") &&
                   connected(session.recorder, "T-815:out_left", "t815-test-recorder:in_left") &&
                   connected(session.recorder, "T-815:out_right", "t815-test-recorder:in_right");
        },
        10000);
    if (!linked) return fail("cannot connect to T-815's ports");
    if (!setPeriod(session.sender, 128)) return fail("the period could not be changed to 128");
    if (rate != 0) {
        std::printf("linked\n");
        std::fflush(stdout);
        if (!waitUntil([&] { return jack_get_sample_rate(session.sender) == rate; }, 10000))
            return fail("the server's rate did not change");
    }
    // A few cycles for the changes to take effect, then the events.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const float serverRate = static_cast<float>(jack_get_sample_rate(session.sender));
    session.armed.store(true);
    bool periodsChanged = true;
    for (const PeriodChange& change : kPeriodChanges) {
        waitUntil([&] { return session.progress.load() >= change.from; }, 10000);
        periodsChanged = periodsChanged && setPeriod(session.sender, change.period);
    }
    const bool recorded = waitUntil([&] { return session.done.load(); }, 10000);
    jack_client_close(session.sender);
    jack_client_close(session.recorder);
    if (!recorded) return fail("the recording never completed");
    if (!periodsChanged) return fail("the server refused a period change");
    if (session.periodsSeen.load() != (1u << kPeriodChangeCount) - 1)
        return fail("the recording ended before every period change took effect");

    std::printf("last program %d\n", lastProgramSent(program));
    const std::vector<float> expected = reference(program, serverRate);
    float loudest = 0.0f;
    for (float sample : expected)
        loudest = std::max(loudest, std::abs(sample));
    if (loudest == 0.0f) return fail("the reference is silent");
    for (int channel = 0; channel < 2; ++channel)
        for (std::uint32_t i = 0; i < kRecordFrames; ++i)
            if (session.samples[channel][i] != expected[i]) {
                std::printf("channel %d differs from frame %u: %.9g, expected %.9g\n", channel, i,
                            double(session.samples[channel][i]), double(expected[i]));
                return 1;
            }
    std::printf("%u frames at %.0f Hz, the period changed %zu times, equal the instrument's own "
                "rendering\n",
                kRecordFrames, double(serverRate), kPeriodChangeCount);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return fail("usage: player_jack_client PROGRAM [RATE]");
    return run(std::atoi(argv[1]), argc == 3 ? static_cast<jack_nframes_t>(std::atol(argv[2])) : 0);
}
