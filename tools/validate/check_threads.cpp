// Threads. Contention: the audio thread renders 64-frame blocks paced in
// real time at 44.1 kHz, first alone, then while a second thread writes
// parameters, programs and MIDI as fast as it can; the callback's p99 and
// worst durations of both runs are reported. Two instances: rendered on two
// threads at once, each must equal the same notes rendered alone.
//
// The pass rule for contention is built to hold on a loaded two-core
// machine, where the scheduler alone can delay any thread by several
// milliseconds now and then: it fails only on gross stalls, three or more
// contended callbacks over 20 ms (fourteen blocks' worth of audio), which
// no preemption explains but a callback waiting for a busy writer does.
// Milder waiting shows in the figures and, on Linux, in realtime.locks.
#include "validation.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr VstInt32 kBlock = 64;
constexpr double kStallSeconds = 0.020;
constexpr int kStallsToFail = 3;

struct Timings {
    std::vector<double> seconds; // every callback's duration
    std::string problem;         // what the output showed, if anything
};

Timings renderPaced(AEffect* effect, double seconds, const std::vector<NoteEvent>& notes) {
    const double period = kBlock / 44100.0;
    const long blocks = static_cast<long>(seconds / period);
    AudioBuffers buffers;
    prepareBuffers(buffers, effect, kBlock);
    Timings timings;
    timings.seconds.reserve(static_cast<std::size_t>(blocks));
    AudioStats stats;
    MidiList list;
    std::size_t next = 0;
    const Clock::time_point start = Clock::now();
    for (long block = 0; block < blocks; ++block) {
        const long long frame = block * kBlock;
        std::size_t end = next;
        while (end < notes.size() && notes[end].frame < frame + kBlock)
            ++end;
        if (end > next) {
            fillMidiList(list, &notes[next], end - next, frame);
            sendMidiList(effect, list);
            next = end;
        }
        const Clock::time_point before = Clock::now();
        processBlock(effect, buffers, kBlock);
        timings.seconds.push_back(std::chrono::duration<double>(Clock::now() - before).count());
        addToStats(stats, buffers, kBlock);
        std::this_thread::sleep_until(start +
                                      std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(period * (block + 1))));
    }
    timings.problem = audioProblem(stats);
    return timings;
}

struct Figures {
    double p99 = 0.0;
    double worst = 0.0;
    int stalls = 0;
};

Figures figuresOf(std::vector<double> seconds) {
    Figures figures;
    if (seconds.empty()) return figures;
    std::sort(seconds.begin(), seconds.end());
    figures.p99 = seconds[seconds.size() * 99 / 100];
    figures.worst = seconds.back();
    figures.stalls = static_cast<int>(
        seconds.end() - std::upper_bound(seconds.begin(), seconds.end(), kStallSeconds));
    return figures;
}

// The second thread: parameters, programs and notes, until told to stop.
void writeFromAnotherThread(AEffect* effect, std::atomic<bool>& stop, Random random) {
    long operations = 0;
    while (!stop) {
        const int what = randomBelow(random, 16);
        if (what == 0 && effect->numPrograms > 0) {
            dispatch(effect, effSetProgram, 0, randomBelow(random, effect->numPrograms));
        } else if (what < 4) {
            const unsigned char key = static_cast<unsigned char>(48 + randomBelow(random, 24));
            sendMidi(effect, what < 3 ? 0x90 : 0x80, key, 100);
        } else if (effect->numParams > 0 && effect->setParameter) {
            effect->setParameter(effect, randomBelow(random, effect->numParams),
                                 randomUnit(random));
        }
        if (++operations % 64 == 0) std::this_thread::yield();
    }
    for (int key = 48; key < 72; ++key)
        sendMidi(effect, 0x80, static_cast<unsigned char>(key), 0);
}

std::string microseconds(double seconds) {
    return std::to_string(static_cast<long>(seconds * 1e6)) + " us";
}

void checkContention(Validation& validation) {
    beginCheck(validation.report, "threads.contention");
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, kBlock, error);
    if (!effect) return endCheck(validation.report, Verdict::Fail, error);
    Random random = randomFor(validation, "threads.contention");
    const double seconds = validation.strictness >= 10 ? 2.0 : 1.0;
    const std::vector<NoteEvent> notes =
        randomNotes(random, static_cast<long long>(seconds * 44100), 2048);
    const Timings alone = renderPaced(effect, seconds, notes);
    std::atomic<bool> stop{false};
    std::thread writer(writeFromAnotherThread, effect, std::ref(stop), random);
    const Timings contended = renderPaced(effect, seconds, notes);
    stop = true;
    writer.join();
    closeInstance(effect);
    const Figures quiet = figuresOf(alone.seconds);
    const Figures busy = figuresOf(contended.seconds);
    const std::string figures = "callback p99 " + microseconds(quiet.p99) + ", worst " +
                                microseconds(quiet.worst) + " alone; p99 " +
                                microseconds(busy.p99) + ", worst " + microseconds(busy.worst) +
                                " with a second thread writing";
    if (!alone.problem.empty() || !contended.problem.empty())
        return endCheck(validation.report, Verdict::Fail,
                        (alone.problem.empty()
                             ? "with a second thread writing: " + contended.problem
                             : alone.problem));
    if (busy.stalls >= kStallsToFail)
        return endCheck(validation.report, Verdict::Fail,
                        std::to_string(busy.stalls) +
                            " callbacks took over 20 ms while another "
                            "thread wrote (" +
                            figures + ")");
    endCheck(validation.report, Verdict::Pass, figures);
}

void checkTwoInstances(Validation& validation) {
    beginCheck(validation.report, "threads.two-instances");
    Random random = randomFor(validation, "threads.two-instances");
    const long long frames = 4096LL * (4 + validation.strictness);
    const std::vector<NoteEvent> notes = randomNotes(random, frames, 1024);
    std::string error;
    AEffect* effects[3] = {};
    for (AEffect*& effect : effects) {
        effect = openInstance(validation, 44100.0, 512, error);
        if (!effect) {
            for (AEffect* opened : effects)
                closeInstance(opened);
            return endCheck(validation.report, Verdict::Fail, error);
        }
    }
    std::vector<float> alone, captures[2];
    renderNotes(effects[0], notes, frames, 512, &alone);
    std::atomic<int> ready{0};
    auto render = [&](int i) {
        ++ready;
        while (ready < 2) {
        }
        renderNotes(effects[i + 1], notes, frames, 512, &captures[i]);
    };
    std::thread second(render, 1);
    render(0);
    second.join();
    for (AEffect* effect : effects)
        closeInstance(effect);
    for (int i = 0; i < 2; ++i) {
        const auto mismatch = std::mismatch(alone.begin(), alone.end(), captures[i].begin());
        if (mismatch.first != alone.end())
            return endCheck(validation.report, Verdict::Fail,
                            "instance " + std::to_string(i + 1) +
                                " rendered beside another differs from one rendered alone at "
                                "sample " +
                                std::to_string((mismatch.first - alone.begin()) % frames) + " (" +
                                describeFloat(*mismatch.first) + " against " +
                                describeFloat(*mismatch.second) + "): the instances share state");
    }
    endCheck(validation.report, Verdict::Pass,
             std::to_string(frames) + " frames on two threads equal to one instance alone");
}

} // namespace

void checkThreads(Validation& validation) {
    checkContention(validation);
    checkTwoInstances(validation);
}
