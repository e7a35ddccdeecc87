// The whole state of the emulated instrument: the tables unpacked from its
// ROM, the 32 factory programs, the performance settings, the four key slots,
// the envelope streams being replayed, the oscillators, the output filter and
// the rate converter. One plain record per plug-in instance, shared with
// nothing. Every operation on it must be serialised by its callers.
#pragma once

#include "envelope_store.h"
#include "envelope_stream.h"
#include "phase_jump.h"
#include "voice_program.h"

#include <cstdint>

namespace t815 {

constexpr double kCoreRate = 33000.0;   // core ticks per second
constexpr int kProgramCount = 32;       // factory programs, host index 0..31
constexpr int kProgramNumberLimit = 38; // program numbers 0..37 (8, 9, 18, 19, 28, 29 unused)
constexpr int kPitchCount = 2112;       // pitch indices 0..2111, 16 per semitone
constexpr int kMaxPitch = kPitchCount - 1;
constexpr int kWaveLength = 512; // sample codes per wave cycle
constexpr int kWaveCount = 8;
constexpr int kLevelTableSize = 2048;
constexpr int kOscillatorZero = 256;      // an oscillator's level at rest
constexpr int kSilentLevelIndices = 1024; // level indices an amplitude byte of 0 can give
constexpr int kSlotCount = 4;             // key slots
constexpr int kOscillatorCount = 8;       // two per slot: 2k (A) and 2k + 1 (B)
constexpr int kHighestKey = 84;           // note-ons above are ignored

enum SlotState : std::int32_t { kSlotFree = 0, kSlotHeld = 1, kSlotReleased = 2 };

struct VoiceSlot {
    std::int32_t key;   // MIDI key number of the slot's last note-on
    std::int32_t state; // SlotState
    std::uint32_t age;  // noteCounter at the last note-on; larger is younger
};

struct SynthCore {
    std::int32_t programNumbers[kProgramCount];        // program number of host index i
    VoiceProgram voicePrograms[kProgramNumberLimit];   // by program number
    std::uint32_t pitchIncrements[kPitchCount];        // 20-bit phase increment per tick
    std::uint16_t waveTable[kWaveCount * kWaveLength]; // 11-bit sample codes
    std::uint8_t levelTableLow[kLevelTableSize];       // codes with bit 10 clear
    std::uint8_t levelTableHigh[kLevelTableSize];      // codes with bit 10 set
    bool romReady;                                     // tables and programs unpacked
    std::uint32_t noteCounter;                         // accepted note-ons, wrapping
    std::int32_t currentProgram;                       // selected program number
    bool unisonOn;                                     // oscillator B of every slot sounds
    bool filterOn;                                     // output filter applied
    float cutoffCoef;                                  // 0.05..0.99, written by the shell
    float resonance;                                   // 0..0.95 from the parameter
    std::int32_t pitchOffset;                          // pitch-index steps (1/16 semitone)
    float bendRatio;                                   // multiplies every phase increment
    std::int32_t oscPitch[kOscillatorCount];           // pitch index 0..2111; 0 silent
    VoiceSlot slots[kSlotCount];
    LevelSpan ampTemplate;                    // current program's amplitude envelope
    LevelSpan filterTemplate;                 // current program's filter envelope
    EnvelopeStream ampStreams[kSlotCount];    // per slot
    EnvelopeStream filterStream;              // shared by all slots
    std::uint32_t oscPhase[kOscillatorCount]; // 20-bit phase accumulators
    float filterState[2];                     // s1, s2 of the output filter
    double resamplePhase;                     // ticks consumed past prevSample, 0..1
    float prevSample;                         // core sample before the newest
    float nextSample;                         // newest core sample

    // Derived from the state above, rebuilt when what it derives from changes.
    // The level tables merged (low + 1 at 0..2047, high + 256 above) and the
    // wave codes as indices into them (magnitude, sign at bit 11), so that a
    // code plus four times the amplitude byte is the level's index. Built by
    // unpackRom, the only writer of the tables.
    std::uint16_t levelByIndex[2 * kLevelTableSize];
    std::uint16_t waveLevelIndices[kWaveCount * kWaveLength];
    bool zeroAmplitudeSilent; // every level below index 1024 is the zero: amplitude 0 is silence
    PhaseJump phaseJump;      // the converter's phase over many samples at once

    // Where the templates and the sequences the streams read are kept;
    // touched by note and program events only.
    EnvelopeStore ampStore;    // read by ampTemplate and ampStreams
    EnvelopeStore filterStore; // read by filterTemplate and filterStream
};

static_assert(kSlotCount + 1 <= kMaxStoreReaders, "the amplitude streams and template");

// Longest sequences the builders make from the factory programs.
constexpr std::size_t kMaxAmpEnvelopeBytes = 192900;    // program 37's template
constexpr std::size_t kNextAmpTemplateBytes = 97100;    // programs 00, 01, 03 and 34
constexpr std::size_t kMaxFilterTemplateBytes = 129400; // program 13's template
constexpr std::size_t kMaxFilterEnvelopeBytes = 812900; // program 12's release from 255

// Envelope storage is reserved up front for the most that can be read at once,
// so that note and program events never allocate. Five amplitude sequences:
// the template and one per slot, each possibly the template of an earlier
// program (keys held through program changes; a program's template is kept
// once), so at most program 37's and four of the next longest, releases being
// shorter. Two filter sequences: the template and the stream's, at most the
// longest release and the longest template.
constexpr std::size_t kAmpStoreBytes = kMaxAmpEnvelopeBytes + 4 * kNextAmpTemplateBytes;
constexpr std::size_t kFilterStoreBytes = kMaxFilterEnvelopeBytes + kMaxFilterTemplateBytes;

// Builds the core in place: defaults, the unpacked ROM, program 00 selected
// with reset. Returns false, with everything released again, when memory runs
// out.
bool constructCore(SynthCore& core);

// Releases the envelope storage; every stream and template reads nothing.
void teardownCore(SynthCore& core);

inline const VoiceProgram& currentVoiceProgram(const SynthCore& core) {
    return core.voicePrograms[core.currentProgram];
}

} // namespace t815
