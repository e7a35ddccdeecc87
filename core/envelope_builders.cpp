// The envelope builders. The amplitude and filter envelopes differ on
// purpose in their details, as the hardware's did: the amplitude decay stops
// at the last level above sustain - step and may dip below sustain, the
// filter decay lands on its sustain level; the amplitude sustain falls in
// steps of 1 from sustain - 1, the filter's in steps of its own byte from
// sustain - step; the filter has per-program exceptions.
#include "envelope_builders.h"

#include <cstring>

namespace t815 {

namespace {

constexpr int kBaseHold = 100; // steps per level when no rate applies

// Where a builder's levels go: counted first, to make room for them, then
// written there.
struct LevelCount {
    std::size_t size = 0;
    void append(int count, int) { size += static_cast<std::size_t>(count); }
};
struct LevelWrite {
    std::uint8_t* out;
    std::size_t size = 0;
    void append(int count, int level) {
        std::memset(out + size, level, static_cast<std::size_t>(count));
        size += static_cast<std::size_t>(count);
    }
};

// Level change per stage: the byte, 0 meaning 1.
int stepOf(const VoiceProgram& p, int b) {
    return p[b] != 0 ? p[b] : 1;
}

// Steps per level for a rate byte r: (256 div r) x 100, r = 0 meaning 100.
int holdOfRate(int r) {
    return r != 0 ? (256 / r) * kBaseHold : kBaseHold;
}

// Calls visit for every level of levelRamp(start, end, step) without
// building the list.
template <typename Visit> void forEachRampLevel(int start, int end, int step, Visit visit) {
    visit(start);
    int cur = start;
    int next = start + step;
    while ((cur < end && step > 0) || (cur > end && step < 0)) {
        if ((next > end && step > 0) || (next < end && step < 0)) {
            visit(end);
            return;
        }
        visit(next);
        cur += step;
        next += step;
    }
}

bool isOneOf(int n, std::initializer_list<int> numbers) {
    for (int x : numbers)
        if (x == n) return true;
    return false;
}

template <typename Out> void ampTemplateLevels(const VoiceProgram& p, Out& out) {
    // Attack up to, not including, the peak.
    for (int level = p[ampStart]; level < p[ampPeak]; level += stepOf(p, ampAttackStep))
        out.append(kBaseHold, level);

    if (p[ampPeak] != p[ampSustain]) {
        const int step = stepOf(p, ampDecayStep);
        const int hold = holdOfRate(p[ampDecayRate]);
        for (int level = p[ampPeak]; level > p[ampSustain] - step; level -= step) {
            if (level < 0) level = 0;
            out.append(hold, level);
        }
    }

    if (p[ampSustainRate] == 0) {
        out.append(kBaseHold, p[ampSustain]);
    } else {
        const int hold = holdOfRate(p[ampSustainRate]);
        for (int level = p[ampSustain] - 1; level >= 0; --level)
            out.append(hold, level);
    }

    if (out.size == 0) out.append(1, 0);
}

template <typename Out> void filterTemplateLevels(int number, VoiceProgram q, Out& out) {
    if (number == 2) { // a constant filter level
        out.append(kBaseHold, q[filterPeak]);
        return;
    }
    if (isOneOf(number, {6, 7, 15, 16})) q.bytes[filterSustain] = q.bytes[filterPeak];
    if (number == 35) q.bytes[filterSustainRate] = 0;
    if (isOneOf(number, {5, 6, 7, 10, 15, 17, 20, 21, 22, 23, 24, 25, 26, 27, 33}))
        out.append(kBaseHold, 0); // the envelope starts late

    if (q[filterPeak] == 0) {
        out.append(1, 0);
        return;
    }

    for (int level = q[filterStart]; level < q[filterPeak]; level += stepOf(q, filterAttackStep))
        out.append(kBaseHold, level);

    if (q[filterPeak] != q[filterSustain]) {
        const int hold = holdOfRate(q[filterDecayRate]);
        forEachRampLevel(q[filterPeak], q[filterSustain], -stepOf(q, filterDecayStep),
                         [&](int level) { out.append(hold, level); });
    }

    if (q[filterSustainRate] == 0 && q[filterSustainStep] == 0) {
        out.append(kBaseHold, q[filterSustain]);
    } else {
        const int step = stepOf(q, filterSustainStep);
        const int hold = holdOfRate(q[filterSustainRate]);
        forEachRampLevel(q[filterSustain] - step, 0, -step,
                         [&](int level) { out.append(hold, level >= 0 ? level : 0); });
    }

    if (out.size == 0) out.append(1, 0);
}

template <typename Out> void ampReleaseLevels(const VoiceProgram& p, int a, Out& out) {
    const int step = stepOf(p, ampReleaseStep);
    for (int level = a - step; level > 0; level -= step)
        out.append(kBaseHold, level);
    out.append(kBaseHold, 0);
}

template <typename Out>
void filterReleaseLevels(int number, const VoiceProgram& p, int a, Out& out) {
    if (number == 2) { // the constant filter level is its own release
        out.append(kBaseHold, p[filterPeak]);
        return;
    }
    const int step = stepOf(p, filterReleaseStep);
    const int hold = holdOfRate(p[filterReleaseRate]);
    for (int level = a - step; level > 0; level -= step)
        out.append(hold, level);
    out.append(kBaseHold, 0);
}

StoreReaders ampReaders(SynthCore& core) {
    StoreReaders readers{{&core.ampTemplate}, 1};
    for (EnvelopeStream& stream : core.ampStreams)
        readers.spans[readers.count++] = &stream.levels;
    return readers;
}

StoreReaders filterReaders(SynthCore& core) {
    return {{&core.filterTemplate, &core.filterStream.levels}, 2};
}

// Points `reader` at the levels `levels` makes (called with a counter, then
// a writer), stored in `store`.
template <typename Levels>
void storeLevels(EnvelopeStore& store, const StoreReaders& readers, LevelSpan& reader,
                 const SequenceKey& key, Levels levels) {
    LevelCount count;
    levels(count);
    LevelWrite write{
        placeSequence(store, readers, reader, static_cast<std::uint32_t>(count.size), key)};
    levels(write);
}

template <typename Levels> void collectLevels(ByteSequence& out, Levels levels) {
    LevelCount count;
    levels(count);
    out.resize(count.size);
    LevelWrite write{out.data()};
    levels(write);
}

} // namespace

std::vector<std::int32_t> levelRamp(std::int32_t start, std::int32_t end, std::int32_t step) {
    std::vector<std::int32_t> levels;
    forEachRampLevel(start, end, step, [&](int level) { levels.push_back(level); });
    return levels;
}

void buildAmpTemplate(SynthCore& core) {
    const SequenceKey key{core.currentProgram, currentVoiceProgram(core)};
    const StoreReaders readers = ampReaders(core);
    if (shareStored(core.ampStore, readers, core.ampTemplate, key)) return;
    storeLevels(core.ampStore, readers, core.ampTemplate, key,
                [&](auto& out) { ampTemplateLevels(key.bytes, out); });
}

void buildFilterTemplate(SynthCore& core) {
    const SequenceKey key{core.currentProgram, currentVoiceProgram(core)};
    const StoreReaders readers = filterReaders(core);
    if (shareStored(core.filterStore, readers, core.filterTemplate, key)) return;
    storeLevels(core.filterStore, readers, core.filterTemplate, key,
                [&](auto& out) { filterTemplateLevels(key.program, key.bytes, out); });
}

void startAmpRelease(SynthCore& core, int slot, int a) {
    EnvelopeStream& stream = core.ampStreams[slot];
    const VoiceProgram& p = currentVoiceProgram(core);
    storeLevels(core.ampStore, ampReaders(core), stream.levels, SequenceKey{},
                [&](auto& out) { ampReleaseLevels(p, a, out); });
    stream.readPos = 0;
}

void startFilterRelease(SynthCore& core, int a) {
    EnvelopeStream& stream = core.filterStream;
    const VoiceProgram& p = currentVoiceProgram(core);
    storeLevels(core.filterStore, filterReaders(core), stream.levels, SequenceKey{},
                [&](auto& out) { filterReleaseLevels(core.currentProgram, p, a, out); });
    stream.readPos = 0;
}

void buildAmpRelease(const SynthCore& core, int a, ByteSequence& out) {
    collectLevels(out, [&](auto& sink) { ampReleaseLevels(currentVoiceProgram(core), a, sink); });
}

void buildFilterRelease(const SynthCore& core, int a, ByteSequence& out) {
    collectLevels(out, [&](auto& sink) {
        filterReleaseLevels(core.currentProgram, currentVoiceProgram(core), a, sink);
    });
}

} // namespace t815
