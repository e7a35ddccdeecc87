// The phase arithmetic of the rate converter in integers. A unit is 2^-53 of
// a tick: every phase a step below 1 of that grid reaches is a whole number
// of units, and the double addition's rounding is reproduced exactly.
#include "phase_jump.h"

#include <algorithm>

namespace t815 {

namespace {

constexpr double kUnitsPerTick = 9007199254740992.0; // 2^53
constexpr std::uint64_t kWrap = std::uint64_t{1} << 53;
constexpr std::uint64_t kMargin = kJumpSamples + 2; // units: more than the drift can reach
constexpr int kBucketShift = 45;                    // a phase's top 8 bits
static_assert((kWrap >> kBucketShift) == kPointBuckets);

// The per-sample loop, on doubles, exactly as the converter runs it.
void walk(double& phase, double step, std::uint64_t samples, std::uint64_t& ticks) {
    for (std::uint64_t i = 0; i < samples; ++i) {
        phase += step;
        while (phase >= 1.0) {
            phase -= 1.0;
            ++ticks;
        }
    }
}

// One sample in units: the sum past a tick has one bit fewer of precision
// and rounds to even, ties to a multiple of 4.
std::uint64_t stepUnits(std::uint64_t p, std::uint64_t s, std::uint64_t& ticks) {
    std::uint64_t t = p + s;
    if (t < kWrap) return t;
    if (t & 1) t += ((t >> 1) & 1) ? 1 : -1;
    ++ticks;
    return t - kWrap;
}

void build(PhaseJump& jump, double step) {
    jump.step = step;
    const double scaled = step * kUnitsPerTick;
    jump.integral = step > 0.0 && step < 1.0 &&
                    static_cast<double>(static_cast<std::uint64_t>(scaled)) == scaled;
    if (!jump.integral) return;
    const std::uint64_t s = static_cast<std::uint64_t>(scaled);
    jump.stepUnits = s;
    for (int j = 0; j <= kJumpSamples; ++j)
        jump.points[j] = (kWrap - (j * s) % kWrap) % kWrap;
    std::sort(jump.points, jump.points + kJumpSamples + 1);
    for (int b = 0; b < kPointBuckets; ++b) {
        const std::uint64_t first = std::uint64_t{static_cast<unsigned>(b)} << kBucketShift;
        jump.bucketStart[b] = static_cast<std::uint8_t>(
            std::upper_bound(jump.points, jump.points + kJumpSamples + 1, first) - jump.points - 1);
    }

    for (int i = 0; i <= kJumpSamples; ++i) {
        const std::uint64_t from = jump.points[i];
        const std::uint64_t to = i < kJumpSamples ? jump.points[i + 1] : kWrap;
        jump.driftKnown[i] = to - from > 2 * kMargin + 8;
        if (!jump.driftKnown[i]) continue;
        const std::uint64_t middle = (from + (to - from) / 2) & ~std::uint64_t{3};
        for (int residue = 0; residue < 4; ++residue) {
            const std::uint64_t start = middle + residue;
            std::uint64_t p = start, ticks = 0;
            for (int n = 0; n < kJumpSamples; ++n)
                p = stepUnits(p, s, ticks);
            const std::uint64_t unrounded = (start + kJumpSamples * s) % kWrap;
            jump.drift[i][residue] =
                static_cast<std::int8_t>(static_cast<std::int64_t>(p - unrounded));
        }
    }
}

// 64 samples at once from p units; false when p is not in reach of the table.
bool jumpSamples(const PhaseJump& jump, std::uint64_t& p, std::uint64_t& ticks) {
    const std::uint64_t s = jump.stepUnits;
    const std::uint64_t sum = p + kJumpSamples * s; // below 2^60
    std::uint64_t next = sum % kWrap;
    if ((p | s) & 1) {
        int i = jump.bucketStart[p >> kBucketShift]; // the last point at or below p
        while (i < kJumpSamples && jump.points[i + 1] <= p)
            ++i;
        const std::uint64_t to = i < kJumpSamples ? jump.points[i + 1] : kWrap;
        if (!jump.driftKnown[i] || p - jump.points[i] < kMargin || to - p < kMargin) return false;
        next += static_cast<std::uint64_t>(static_cast<std::int64_t>(jump.drift[i][p & 3]));
    }
    ticks += sum / kWrap;
    p = next;
    return true;
}

} // namespace

std::uint64_t advancePhase(PhaseJump& jump, double& phase, double step, std::uint64_t samples) {
    if (jump.step != step) build(jump, step);
    std::uint64_t ticks = 0;
    // In units from start to end, converted once (the conversions are library
    // calls on 32-bit targets). A phase off the grid, left by another host
    // rate, takes the per-sample loop for this call; it is on the grid after.
    const double scaled = phase * kUnitsPerTick;
    const std::uint64_t p0 = static_cast<std::uint64_t>(scaled);
    if (jump.integral && samples >= kJumpSamples && phase >= 0.0 && phase < 1.0 &&
        static_cast<double>(p0) == scaled) {
        std::uint64_t p = p0;
        for (; samples >= kJumpSamples; samples -= kJumpSamples)
            if (!jumpSamples(jump, p, ticks))
                for (int n = 0; n < kJumpSamples; ++n) {
                    p = stepUnits(p, jump.stepUnits, ticks);
                }
        phase = static_cast<double>(p) / kUnitsPerTick;
    }
    walk(phase, step, samples, ticks);
    return ticks;
}

} // namespace t815
