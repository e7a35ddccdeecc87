// One factory program: the 23 parameter bytes the voice chip holds for it.
// Levels are 0..255 (255 loudest or most open); a rate byte r holds each
// level (256 div r) x 100 steps (r = 0: 100); a step byte s is the level
// change per stage (s = 0: 1).
#pragma once

#include <cstdint>

namespace t815 {

constexpr int kVoiceProgramBytes = 23;

// Byte positions within a VoiceProgram.
enum VoiceByte : int {
    filterStart = 0,       // filter attack start level
    filterAttackStep = 1,  // filter attack step
    filterPeak = 2,        // filter attack end level; 0: no filter envelope
    filterDecayRate = 3,   // filter decay rate
    filterDecayStep = 4,   // filter decay step
    filterSustain = 5,     // filter sustain level
    filterSustainRate = 6, // rate of the fall from sustain to 0
    filterSustainStep = 7, // step of that fall
    filterReleaseRate = 8, // filter release rate
    filterReleaseStep = 9, // filter release step
    toneFlags = 10,        // bits 0-2 wave, 3-4 filter floor, 5-6 resonance, 7 single oscillator
    ampStart = 11,         // amplitude attack start level
    ampAttackStep = 12,    // amplitude attack step
    ampPeak = 13,          // amplitude attack end level
    ampDecayRate = 14,     // amplitude decay rate
    ampDecayStep = 15,     // amplitude decay step
    ampSustain = 16,       // amplitude sustain level
    ampSustainRate = 17,   // rate of the fall from sustain to 0 (0: held)
    ampReleaseStep = 18,   // amplitude release step (rate fixed)
    oscBOctave = 19,       // second oscillator octave code
    oscBFine = 20,         // second oscillator fine offset, pitch-index steps
    oscAOctave = 21,       // first oscillator octave code
    oscAFine = 22,         // first oscillator fine offset, pitch-index steps
};

struct VoiceProgram {
    std::uint8_t bytes[kVoiceProgramBytes];

    int operator[](int b) const { return bytes[b]; }
};

// toneFlags fields.
inline int waveNumber(int flags) {
    return flags & 7;
}
inline int filterFloorCode(int flags) {
    return (flags >> 3) & 3;
}
inline int resonanceCode(int flags) {
    return (flags >> 5) & 3;
}
inline bool singleOscillator(int flags) {
    return (flags & 0x80) != 0;
}

} // namespace t815
