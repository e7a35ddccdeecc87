// The envelope builders. The amplitude and filter envelopes differ on
// purpose in their details, as the hardware's did: the amplitude decay stops
// at the last level above sustain - step and may dip below sustain, the
// filter decay lands on its sustain level; the amplitude sustain falls in
// steps of 1 from sustain - 1, the filter's in steps of its own byte from
// sustain - step; the filter has per-program exceptions.
#include "envelope_builders.h"

namespace t815 {

namespace {

constexpr int kBaseHold = 100; // steps per level when no rate applies

// Level change per stage: the byte, 0 meaning 1.
int stepOf(const VoiceProgram& p, int b) {
    return p[b] != 0 ? p[b] : 1;
}

// Steps per level for a rate byte r: (256 div r) x 100, r = 0 meaning 100.
int holdOfRate(int r) {
    return r != 0 ? (256 / r) * kBaseHold : kBaseHold;
}

void appendCopies(ByteSequence& out, int count, int level) {
    out.insert(out.end(), static_cast<std::size_t>(count), static_cast<std::uint8_t>(level));
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

} // namespace

std::vector<std::int32_t> levelRamp(std::int32_t start, std::int32_t end, std::int32_t step) {
    std::vector<std::int32_t> levels;
    forEachRampLevel(start, end, step, [&](int level) { levels.push_back(level); });
    return levels;
}

void buildAmpTemplate(SynthCore& core) {
    const VoiceProgram& p = currentVoiceProgram(core);
    ByteSequence& out = core.ampTemplate;
    out.clear();

    // Attack up to, not including, the peak.
    for (int level = p[ampStart]; level < p[ampPeak]; level += stepOf(p, ampAttackStep))
        appendCopies(out, kBaseHold, level);

    if (p[ampPeak] != p[ampSustain]) {
        const int step = stepOf(p, ampDecayStep);
        const int hold = holdOfRate(p[ampDecayRate]);
        for (int level = p[ampPeak]; level > p[ampSustain] - step; level -= step) {
            if (level < 0) level = 0;
            appendCopies(out, hold, level);
        }
    }

    if (p[ampSustainRate] == 0) {
        appendCopies(out, kBaseHold, p[ampSustain]);
    } else {
        const int hold = holdOfRate(p[ampSustainRate]);
        for (int level = p[ampSustain] - 1; level >= 0; --level)
            appendCopies(out, hold, level);
    }

    if (out.empty()) out.push_back(0);
}

void buildFilterTemplate(SynthCore& core) {
    const int number = core.currentProgram;
    VoiceProgram q = currentVoiceProgram(core);
    ByteSequence& out = core.filterTemplate;
    out.clear();

    if (number == 2) { // a constant filter level
        appendCopies(out, kBaseHold, q[filterPeak]);
        return;
    }
    if (isOneOf(number, {6, 7, 15, 16})) q.bytes[filterSustain] = q.bytes[filterPeak];
    if (number == 35) q.bytes[filterSustainRate] = 0;
    if (isOneOf(number, {5, 6, 7, 10, 15, 17, 20, 21, 22, 23, 24, 25, 26, 27, 33}))
        appendCopies(out, kBaseHold, 0); // the envelope starts late

    if (q[filterPeak] == 0) {
        out.push_back(0);
        return;
    }

    for (int level = q[filterStart]; level < q[filterPeak]; level += stepOf(q, filterAttackStep))
        appendCopies(out, kBaseHold, level);

    if (q[filterPeak] != q[filterSustain]) {
        const int hold = holdOfRate(q[filterDecayRate]);
        forEachRampLevel(q[filterPeak], q[filterSustain], -stepOf(q, filterDecayStep),
                         [&](int level) { appendCopies(out, hold, level); });
    }

    if (q[filterSustainRate] == 0 && q[filterSustainStep] == 0) {
        appendCopies(out, kBaseHold, q[filterSustain]);
    } else {
        const int step = stepOf(q, filterSustainStep);
        const int hold = holdOfRate(q[filterSustainRate]);
        forEachRampLevel(q[filterSustain] - step, 0, -step,
                         [&](int level) { appendCopies(out, hold, level >= 0 ? level : 0); });
    }

    if (out.empty()) out.push_back(0);
}

void buildAmpRelease(const SynthCore& core, int a, ByteSequence& out) {
    const VoiceProgram& p = currentVoiceProgram(core);
    const int step = stepOf(p, ampReleaseStep);
    out.clear();
    for (int level = a - step; level > 0; level -= step)
        appendCopies(out, kBaseHold, level);
    appendCopies(out, kBaseHold, 0);
}

void buildFilterRelease(const SynthCore& core, int a, ByteSequence& out) {
    const VoiceProgram& p = currentVoiceProgram(core);
    out.clear();
    if (core.currentProgram == 2) { // the constant filter level is its own release
        appendCopies(out, kBaseHold, p[filterPeak]);
        return;
    }
    const int step = stepOf(p, filterReleaseStep);
    const int hold = holdOfRate(p[filterReleaseRate]);
    for (int level = a - step; level > 0; level -= step)
        appendCopies(out, hold, level);
    appendCopies(out, kBaseHold, 0);
}

} // namespace t815
