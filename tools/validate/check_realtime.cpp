// The audio path watched through the realtime probe: while effProcessEvents
// and the audio callback run (notes, program changes by MIDI, parameter
// writes between blocks) the plug-in may neither touch the heap nor call
// anything that can block on another thread.
#include "realtime_probe.h"
#include "validation.h"

#include <algorithm>

namespace {

struct AudioPathCounts {
    ProbeCounts events;
    ProbeCounts audio;
};

AudioPathCounts watchAudioPath(Validation& validation, AEffect* effect) {
    Random random = randomFor(validation, "realtime");
    constexpr VstInt32 kBlock = 64;
    const long long frames = 44100LL * validation.strictness / 10;
    std::vector<NoteEvent> notes = randomNotes(random, frames, 1024);
    for (long long frame = 0; frame < frames; frame += 8192) // MIDI program changes
        notes.push_back(
            {frame, 0xC0,
             static_cast<unsigned char>(randomBelow(random, std::max(effect->numPrograms, 1))), 0});
    std::stable_sort(notes.begin(), notes.end(),
                     [](const NoteEvent& a, const NoteEvent& b) { return a.frame < b.frame; });
    // Every list is built before anything is watched.
    std::vector<MidiList> lists(static_cast<std::size_t>(frames / kBlock + 1));
    std::size_t next = 0;
    for (std::size_t block = 0; block < lists.size(); ++block) {
        const long long start = static_cast<long long>(block) * kBlock;
        std::size_t end = next;
        while (end < notes.size() && notes[end].frame < start + kBlock)
            ++end;
        if (end > next) fillMidiList(lists[block], &notes[next], end - next, start);
        next = end;
    }
    AudioBuffers buffers;
    prepareBuffers(buffers, effect, kBlock);
    AudioPathCounts counts;
    for (std::size_t block = 0; block < lists.size(); ++block) {
        if (effect->numParams > 0 && effect->setParameter)
            effect->setParameter(effect, randomBelow(random, effect->numParams),
                                 randomUnit(random));
        beginRealtimeSection();
        sendMidiList(effect, lists[block]);
        ProbeCounts events = endRealtimeSection();
        beginRealtimeSection();
        processBlock(effect, buffers, kBlock);
        ProbeCounts audio = endRealtimeSection();
        for (auto [total, one] : {std::pair{&counts.events, &events}, {&counts.audio, &audio}}) {
            total->heapCalls += one->heapCalls;
            total->blockingCalls += one->blockingCalls;
            if (total->firstHeapCall.empty()) total->firstHeapCall = one->firstHeapCall;
            if (total->firstBlockingCall.empty()) total->firstBlockingCall = one->firstBlockingCall;
        }
    }
    return counts;
}

std::string describe(long calls, const std::string& first, const char* where, long blocks) {
    return std::to_string(calls) + " in " + where + " over " + std::to_string(blocks) +
           " blocks (first: " + first + ")";
}

} // namespace

void checkRealtime(Validation& validation) {
    const char* const kNames[] = {"realtime.allocations", "realtime.locks"};
    std::string whyNot;
    if (!probeAvailable(whyNot)) {
        for (const char* name : kNames) {
            beginCheck(validation.report, name);
            endCheck(validation.report, Verdict::NotMeasurable, whyNot);
        }
        return;
    }
    beginCheck(validation.report, kNames[0]);
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 64, error);
    if (!effect) return endCheck(validation.report, Verdict::Fail, error);
    const AudioPathCounts counts = watchAudioPath(validation, effect);
    closeInstance(effect);
    const long blocks = 44100L * validation.strictness / 10 / 64 + 1;
    std::string problem;
    if (counts.audio.heapCalls > 0)
        problem = describe(counts.audio.heapCalls, counts.audio.firstHeapCall, "the audio callback",
                           blocks);
    if (counts.events.heapCalls > 0)
        problem += (problem.empty() ? "" : "; ") + describe(counts.events.heapCalls,
                                                            counts.events.firstHeapCall,
                                                            "effProcessEvents", blocks);
    endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "no heap call in the audio callback or effProcessEvents"
                             : "heap calls: " + problem);

    beginCheck(validation.report, kNames[1]);
    problem.clear();
    if (counts.audio.blockingCalls > 0)
        problem = describe(counts.audio.blockingCalls, counts.audio.firstBlockingCall,
                           "the audio callback", blocks);
    if (counts.events.blockingCalls > 0)
        problem += (problem.empty() ? "" : "; ") + describe(counts.events.blockingCalls,
                                                            counts.events.firstBlockingCall,
                                                            "effProcessEvents", blocks);
    endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "no lock, wait or sleep in the audio callback or effProcessEvents"
                             : "calls that can wait for another thread: " + problem);
}
