// A JACK test client of ours for t815-play: a sender client plays MIDI into
// T-815:midi_in at chosen frames (on period boundaries and between them), a
// recorder client records T-815's two outputs from the same frame on, and
// the recording must equal, to the bit, the instrument shell rendered
// directly with the same events at the same frames. Sender, player and
// recorder run in that order within each JACK cycle, so MIDI sent in a
// cycle is heard in the recording of that cycle.
//
// The player has rendered an unknown number of whole periods before the
// first event. At 48 kHz with a period a multiple of 16 frames that makes no
// difference: the idle instrument keeps its state, and the rate converter's
// phase (33,000 / 48,000 = 11 / 16) comes back every 16 frames.
//
//   player_jack_client PROGRAM   (the player was started with --program PROGRAM)
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

// With 128-frame periods: events at period starts (0, 512, 4096) and inside
// periods, two on one frame, a program change in mid-period.
const ScheduledMidi kEvents[] = {
    {0, {{0x90, 60, 100}}},    {300, {{0x90, 64, 90}}}, {300, {{0xB0, 1, 80}}},
    {512, {{0xE0, 0, 90}}},    {1999, {{0x80, 60, 0}}}, {2100, {{0xC0, 20, 0}}},
    {4096, {{0x90, 67, 100}}}, {6001, {{0x80, 64, 0}}}, {7777, {{0x90, 72, 110}}},
    {9000, {{0x80, 67, 0}}},   {9001, {{0xC0, 9, 0}}},  {9500, {{0x90, 48, 100}}},
};
constexpr std::size_t kEventCount = sizeof kEvents / sizeof kEvents[0];
constexpr std::uint32_t kRecordFrames = 16000;

struct Session {
    jack_client_t* sender = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* inputs[2] = {};
    std::atomic<bool> armed{false};
    std::atomic<std::int64_t> startFrame{-1}; // the cycle the first event is sent in
    std::vector<float> recorded[2];
    std::atomic<bool> done{false};
};

int send(jack_nframes_t frames, void* argument) {
    Session& session = *static_cast<Session*>(argument);
    void* buffer = jack_port_get_buffer(session.midiOut, frames);
    jack_midi_clear_buffer(buffer);
    const std::int64_t cycle = jack_last_frame_time(session.sender);
    std::int64_t start = session.startFrame.load();
    if (start < 0) {
        if (!session.armed.load()) return 0;
        session.startFrame.store(start = cycle);
    }
    for (const ScheduledMidi& event : kEvents) {
        const std::int64_t at = start + event.frame - cycle;
        if (at >= 0 && at < frames)
            jack_midi_event_write(buffer, static_cast<jack_nframes_t>(at), event.message.bytes, 3);
    }
    return 0;
}

int record(jack_nframes_t frames, void* argument) {
    Session& session = *static_cast<Session*>(argument);
    const std::int64_t start = session.startFrame.load();
    const std::int64_t cycle = jack_last_frame_time(session.recorder);
    if (start < 0 || cycle < start || session.done.load()) return 0;
    const std::size_t offset = static_cast<std::size_t>(cycle - start);
    for (int channel = 0; channel < 2; ++channel) {
        const auto* samples =
            static_cast<const float*>(jack_port_get_buffer(session.inputs[channel], frames));
        for (jack_nframes_t i = 0; i < frames && offset + i < kRecordFrames; ++i)
            session.recorded[channel][offset + i] = samples[i];
    }
    if (offset + frames >= kRecordFrames) session.done.store(true);
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

bool waitFor(const std::atomic<bool>& flag, int milliseconds) {
    for (int waited = 0; !flag.load() && waited < milliseconds; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return flag.load();
}

int run(int program) {
    Session session;
    session.recorded[0].assign(kRecordFrames, 0.0f);
    session.recorded[1].assign(kRecordFrames, 0.0f);
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
    const float rate = static_cast<float>(jack_get_sample_rate(session.sender));

    // The player's ports appear once it has registered them, and take
    // connections once it has activated its client, a moment later.
    const auto connected = [&](jack_client_t* client, const char* from, const char* to) {
        const int result = jack_connect(client, from, to);
        return result == 0 || result == EEXIST;
    };
    bool linked = false;
    for (int waited = 0; !linked && waited < 10000; waited += 20) {
        linked = connected(session.sender, "t815-test-sender:out", "T-815:midi_in") &&
                 connected(session.recorder, "T-815:out_left", "t815-test-recorder:in_left") &&
                 connected(session.recorder, "T-815:out_right", "t815-test-recorder:in_right");
        if (!linked) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!linked) return fail("cannot connect to T-815's ports");
    // The server's period halves while the player runs (it renders straight
    // into JACK's buffers, whatever their size); a few cycles for that and
    // the new connections to take effect, then the events.
    if (jack_set_buffer_size(session.sender, 128) != 0 ||
        jack_get_buffer_size(session.sender) != 128)
        return fail("the period could not be changed to 128 frames");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    session.armed.store(true);
    const bool recorded = waitFor(session.done, 10000);
    jack_client_close(session.sender);
    jack_client_close(session.recorder);
    if (!recorded) return fail("the recording never completed");

    std::printf("last program %d\n", lastProgramSent(program));
    const std::vector<float> expected = reference(program, rate);
    float loudest = 0.0f;
    for (float sample : expected)
        loudest = std::max(loudest, std::abs(sample));
    if (loudest == 0.0f) return fail("the reference is silent");
    for (int channel = 0; channel < 2; ++channel)
        for (std::uint32_t i = 0; i < kRecordFrames; ++i)
            if (session.recorded[channel][i] != expected[i]) {
                std::printf("channel %d differs from frame %u: %.9g, expected %.9g\n", channel, i,
                            double(session.recorded[channel][i]), double(expected[i]));
                return 1;
            }
    std::printf("%u frames at %.0f Hz equal the instrument's own rendering\n", kRecordFrames,
                double(rate));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return fail("usage: player_jack_client PROGRAM");
    return run(std::atoi(argv[1]));
}
