// Unpacking the ROM image. The 16-bit tables are split across chip pairs,
// low byte and high byte at the same offset; the pitch table's top 64
// entries are not in the ROM and are computed one octave above entries
// 1856..1919. Voice entries are 32 bytes of which 23 carry a program byte.
#include "rom_unpack.h"

#include "rom_image.h"
#include "tone_generator.h"

#include <cstring>

namespace t815 {

namespace {

constexpr int kNotUsed = -1;

// Program byte held by each of a voice entry's 32 bytes, 16 entry bytes a row.
// clang-format off
constexpr int kEntryByteToProgramByte[kVoiceEntryBytes] = {
    0,  1,  2,  kNotUsed, 3,  4,  5,  19,       6,  7,        8,        9,  kNotUsed, kNotUsed, 20, 10,
    11, 12, 13, kNotUsed, 14, 15, 16, kNotUsed, 17, kNotUsed, kNotUsed, 18, kNotUsed, kNotUsed, 21, 22,
};
// clang-format on

constexpr int kRomPitchEntries = 2048;
constexpr int kPitchesPerOctave = 192;

} // namespace

bool unpackRom(SynthCore& core) {
    const std::uint8_t* pitchLow = romChip(kChipPitchLow);
    const std::uint8_t* pitchHigh = romChip(kChipPitchHigh);
    const std::uint8_t* wavesLow[2] = {romChip(kChipWaves03Low), romChip(kChipWaves47Low)};
    const std::uint8_t* wavesHigh[2] = {romChip(kChipWaves03High), romChip(kChipWaves47High)};

    for (int i = 0; i < kRomPitchEntries; ++i) {
        core.pitchIncrements[i] = pitchHigh[i] * 256u + pitchLow[i];
        for (int half = 0; half < 2; ++half)
            core.waveTable[half * 2048 + i] =
                static_cast<std::uint16_t>(wavesHigh[half][i] * 256 + wavesLow[half][i]);
    }
    for (int i = kRomPitchEntries; i < kPitchCount; ++i)
        core.pitchIncrements[i] = 2 * core.pitchIncrements[i - kPitchesPerOctave];

    std::memcpy(core.levelTableLow, romChip(kChipLevelLow), kLevelTableSize);
    std::memcpy(core.levelTableHigh, romChip(kChipLevelHigh), kLevelTableSize);
    for (int i = 0; i < kLevelTableSize; ++i) {
        core.levelByIndex[i] = static_cast<std::uint16_t>(core.levelTableLow[i] + 1);
        core.levelByIndex[kLevelTableSize + i] =
            static_cast<std::uint16_t>(core.levelTableHigh[i] + kOscillatorZero);
    }
    for (int i = 0; i < kWaveCount * kWaveLength; ++i) {
        const int code = core.waveTable[i];
        core.waveLevelIndices[i] = static_cast<std::uint16_t>(
            (code & tick::kMagnitudeMask) | ((code & tick::kSignBit) ? kLevelTableSize : 0));
    }
    // With amplitude 0 the level index is the code's magnitude, below 1024.
    core.zeroAmplitudeSilent = true;
    for (int i = 0; i < kSilentLevelIndices; ++i)
        if (core.levelTableLow[i] + 1 != kOscillatorZero ||
            core.levelTableHigh[i] + 256 != kOscillatorZero)
            core.zeroAmplitudeSilent = false;

    const std::uint8_t* entries = romChip(kChipVoices) + kVoiceEntriesOffset;
    for (int k = 0; k < kProgramCount; ++k) {
        const std::uint8_t* entry = entries + k * kVoiceEntryBytes;
        VoiceProgram& program = core.voicePrograms[core.programNumbers[k]];
        for (std::size_t b = 0; b < kVoiceEntryBytes; ++b)
            if (kEntryByteToProgramByte[b] != kNotUsed)
                program.bytes[kEntryByteToProgramByte[b]] = entry[b];
    }

    core.romReady = true;
    return true;
}

} // namespace t815
