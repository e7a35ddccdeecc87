// The rate converter's phase advanced over many output samples at once, to
// the bit where the per-sample loop (add the step, take 1 away while the
// phase is 1 or more) would leave it, with the number of ticks that loop
// would owe. While the output stands still nothing else of the loop matters.
//
// For a step below 1 that is a whole multiple of 2^-53 (44.1, 48 and 96 kHz
// among others) the loop is integer arithmetic in units of 2^-53: the phase
// is P < 2^53, and a sample adds the step S and, past 2^53, rounds the sum to
// an even number (ties to a multiple of 4, as the double addition does in
// [1, 2)) and takes 2^53 away. When S and P are even nothing ever rounds and
// 64 samples add 64 S modulo 2^53. When S is odd the roundings add a drift D
// of at most one unit per sample, and D depends only on P modulo 4 and on
// which samples wrap; the wraps follow the unrounded sums as long as P keeps
// more than 64 units away from the points where 64 unrounded samples change
// their pattern (P = -jS modulo 2^53, j = 0..64). A table of those points
// and of D for every stretch between them and each residue, built once per
// step, then gives 64 samples in a lookup. Anything else (a phase too close
// to a point, other steps) takes the per-sample loop. The stretch a phase
// lies in is found from its top 8 bits: the 65 points are spread evenly
// enough that a bucket holds at most a few of them.
#pragma once

#include <cstdint>

namespace t815 {

constexpr int kJumpSamples = 64;
constexpr int kPointBuckets = 256; // by a phase's top 8 bits

struct PhaseJump {
    double step;                            // converter step the table is for; 0: none
    bool integral;                          // step < 1, a whole number of 2^-53 units
    std::uint64_t stepUnits;                // S, in 2^-53
    std::uint64_t points[kJumpSamples + 1]; // -jS mod 2^53, ascending; points[0] = 0
    std::int8_t drift[kJumpSamples + 1][4]; // D from points[i] up, by P mod 4
    bool driftKnown[kJumpSamples + 1];      // stretch wide enough to have a D
    std::uint8_t bucketStart[kPointBuckets]; // the stretch a bucket's first unit lies in
};

// Advances phase (0 <= phase < 1) by `samples` output samples of `step` and
// returns the ticks those samples owe. Rebuilds the table when step changed.
std::uint64_t advancePhase(PhaseJump& jump, double& phase, double step, std::uint64_t samples);

} // namespace t815
