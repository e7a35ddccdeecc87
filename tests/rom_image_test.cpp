// Checks the ROM image embedded in the library: every value the instrument's
// tables are known to hold (the pitch table's first entries and curve, the
// wave heads, the level-table points, the 32 factory programs) and the
// properties of the waves we designed beyond their heads (no step larger than
// the head's own steepest, full scale, no offset, band-limited).
#include "rom_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using t815::romChip;

constexpr std::size_t kPitchEntries = 2048;
constexpr std::size_t kPitchTableEntries = 2112; // with the computed top octave
constexpr std::size_t kPitchStepsPerOctave = 192;
constexpr std::size_t kPitchCurveFirst = 16;
constexpr double kPitchTop = 65534.0;

constexpr int kWaveCount = 8;
constexpr int kWaveLength = 512;
constexpr int kHeadLength = 6;
constexpr unsigned kCodePositive = 0x400;
constexpr unsigned kMagnitudeMask = 0x3FF;
constexpr int kFullAmplitudeIndex = 4 * 255; // level-table index of magnitude 0 at amplitude 255

constexpr std::size_t kLevelEntries = 2048;
constexpr std::size_t kLevelZeroBelow = 1024;

constexpr int kPrograms = 32;
constexpr int kProgramBytes = 23;
constexpr int kNotRead = -1;

unsigned pitchEntry(std::size_t i) {
    return romChip(t815::kChipPitchHigh)[i] * 256u + romChip(t815::kChipPitchLow)[i];
}

// The whole table as the core unpacks it: 2048 stored entries, then the top
// octave computed by doubling the octave below.
std::vector<std::uint32_t> unpackedPitchTable() {
    std::vector<std::uint32_t> table(kPitchTableEntries);
    for (std::size_t i = 0; i < kPitchEntries; ++i)
        table[i] = pitchEntry(i);
    for (std::size_t i = kPitchEntries; i < kPitchTableEntries; ++i)
        table[i] = 2 * table[i - kPitchStepsPerOctave];
    return table;
}

double pitchCurve(std::size_t i) {
    return kPitchTop * std::exp2((static_cast<double>(i) - 2047.0) / kPitchStepsPerOctave);
}

unsigned waveCode(int wave, int n) {
    const std::size_t i = static_cast<std::size_t>((wave % 4) * kWaveLength + n);
    if (wave < 4)
        return romChip(t815::kChipWaves03High)[i] * 256u + romChip(t815::kChipWaves03Low)[i];
    return romChip(t815::kChipWaves47High)[i] * 256u + romChip(t815::kChipWaves47Low)[i];
}

// An oscillator's level relative to its zero at amplitude byte 255, read
// through the image's level tables as the tone generator reads them.
int fullScaleLevel(unsigned code) {
    const std::size_t k = kFullAmplitudeIndex + (code & kMagnitudeMask);
    if (code & kCodePositive) return romChip(t815::kChipLevelHigh)[k];
    return romChip(t815::kChipLevelLow)[k] - 255;
}

std::vector<int> waveLevels(int wave) {
    std::vector<int> levels(kWaveLength);
    for (int n = 0; n < kWaveLength; ++n)
        levels[n] = fullScaleLevel(waveCode(wave, n));
    return levels;
}

const std::array<std::array<unsigned, kHeadLength>, kWaveCount> kWaveHeads = {{
    {{0, 1235, 1363, 1437, 1490, 1532}},
    {{0, 1609, 1736, 1809, 1861, 1899}},
    {{661, 620, 567, 491, 360, 256}},
    {{0, 1797, 1890, 1909, 1885, 1815}},
    {{0, 1852, 1968, 2022, 2045, 2044}},
    {{256, 1583, 1710, 1783, 1835, 1874}},
    {{1023, 1021, 1020, 1018, 1017, 1015}},
    {{0, 1566, 1693, 1767, 1819, 1858}},
}};

// Voice entry byte -> program byte.
// clang-format off
constexpr std::array<int, t815::kVoiceEntryBytes> kEntryByteMap = {
     0,  1,  2, kNotRead,  3,  4,  5, 19,  6,  7,  8,  9, kNotRead, kNotRead, 20, 10,
    11, 12, 13, kNotRead, 14, 15, 16, kNotRead, 17, kNotRead, kNotRead, 18, kNotRead, kNotRead, 21, 22};
// clang-format on

// The factory programs in voice-entry order (program numbers 00..07, 10..17,
// 20..27, 30..37).
// clang-format off
const std::array<std::array<std::uint8_t, kProgramBytes>, kPrograms> kFactoryPrograms = {{
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  16,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   6,   8}}, // 00 El. Piano
    {{  0,  64, 160,   0,  64,  64,   0,   0,   0,   8,   0,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   4,   8}}, // 01 Jazz Piano
    {{  0,  64,  96,   0,   0,   0,   0,   2,   0,   0,  99,   0, 255, 255,   0,   1,   3,  64,   8,   6,   6,   6,   9}}, // 02 F. Piano
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  16,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   5,   8}}, // 03 Piano
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  25,   0,  24, 255,   0,   0, 255,   0,   8,   6,   6,   6,   9}}, // 04 Harmonika
    {{  0,   8,  80,   0,   8,  64,   0,   0,   0,   3,  12,   0,  24, 255, 176,   0, 255,   0,  16,   5,   9,   5,   7}}, // 05 Accordion
    {{  0,  16,  64,   0,   0,  48,   0,   0,   0,   8,   6,   0,  48, 255,  64,   0, 255,   0,   8,   5,   7,   5,   8}}, // 06 Organ
    {{  0,  24, 128,   0,   0,   0,   0,   0,   0,   1,   7,   0,  24, 255,   0,   0, 255,   0,   8,   6,   7,   4,   8}}, // 07 Pipe Organ
    {{  0,  64, 160,   0,  32,  80,   0,   0,   0,   8,   4,   0,  64, 255,  64,   0, 209,   0,   8,   5,   7,   5,   8}}, // 10 Jazz Organ
    {{  0,  48, 176,  80,   0,  36,   0,   0,  64,   0,  33,   0,  64, 255,   0,   4, 225,   0,   4,   6,   9,   6,   8}}, // 11 F. Organ
    {{  0, 255,  96,   0, 255,  96,   0,   0,   8,   0,   7,   0, 144, 255,  64,   0, 209,   0,   8,   6,   7,   6,   8}}, // 12 Hammond 1
    {{  0,  64, 160,   0,   8,  80,  16,   0,   0,   8,   7,   0, 144, 255,  64,   0, 255,   0,   8,   6,   7,   4,   8}}, // 13 Hammond 2
    {{255,   4, 240, 128,   0,  32,   0,   0,   0,   0, 102,   0,  48, 255,  64,   0, 209,   0,   8,   5,   7,   4,   8}}, // 14 Synth Organ
    {{  0,   4,   0,   0,   0,  32,   0,   0,   0,   8,  34,   0,  24, 255,   0,   1, 225,   0,   8,   5,   7,   5,   8}}, // 15 Brass Organ
    {{  0,   4,  96,   0,   0,  32,   0,   0,   0,   8, 162,   0,  24, 255,   0,   1, 225,   0,   8,   6,   7,   6,   8}}, // 16 Brass
    {{  0,   4,  80, 176,   0,   8,   0,   0,   0,   8, 130,   0,  16, 255, 128,   0, 225,   0,   8,   5,   7,   5,   8}}, // 17 French Horn
    {{  0,  64, 255,   0,   8, 112,   0,   0,   0,   8, 130,   0,  40, 255,   0,   0, 255,   0,  16,   6,   7,   6,   8}}, // 20 Flute
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 144,   0,  16, 255,   0,   0, 255,   0,   8,   6,   7,   6,   8}}, // 21 Piccolo
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 141,   0,  24, 255,   0,   4, 225,   0,   8,   6,   7,   6,   9}}, // 22 Clarinet
    {{  0,  64, 128,   0,   0, 128,   0,   0,   0,   8, 129,   0,  20, 255,   0,   0, 255,   0,   8,   5,   7,   5,   8}}, // 23 Oboe
    {{  0,   4, 240, 128,   0,  32,   0,   0,   0,   8, 100,   0,  24, 255,   0,   0, 208,   0,   8,   5,   9,   5,   8}}, // 24 Cosmic
    {{  0,  64, 255,   0,   5,  80,  64,   0,   0,   6,   4,   0,  16, 255, 128,   0, 225,   0,   4,   6,   9,   4,   6}}, // 25 Fantastic
    {{  0,  64, 176,   0,   5,  32,   0,   2,   0,   1,   1,   0,  64, 255,   0,   4, 232,  64,   8,   6,   7,   6,   9}}, // 26 Slap Synth
    {{  0,  64, 160,   0,  32,  80,  16,   0,   0,   8,   5,   0,  64, 255,   0,   4, 225,   0,  16,   6,   9,   5,   8}}, // 27 Blues Synth
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  28,   0,  64, 255,   0,   4, 240,  64,   8,   5,   7,   4,   8}}, // 30 Harpsichord
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  27,   0,  64, 255,   0,   4, 224,  64,  16,   5,   8,   4,   8}}, // 31 Clavinet
    {{  0,  64, 255,   0,   8,  80,  64,   0,   0,   2,   4,   0,  64, 255,   0,   4, 224,  64,   4,   6,   9,   4,   8}}, // 32 Harpsi
    {{  0,  64,  96,   0,   5,  32,   0,   2,   0,   1,   1,   0,  64, 255,   0,   4, 224,  64,   8,   4,   7,   4,   9}}, // 33 El. Bass
    {{  0,  64,  64,   0,   5,  64,   0,   0, 128,   0, 130,   0,  48, 255,   0,   4, 240,  64,   8,   4,   7,   4,   8}}, // 34 Jazz Bass
    {{  0,  64, 160,   0,  32,  80,  16,   1,   0,   6,   4,   0,  64, 255,   0,   4, 240,  64,   6,   4,   7,   4,   9}}, // 35 Bass
    {{  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  29,   0,  64, 255,   0,   4,   0,   0,   8,   6,   7,   6,   9}}, // 36 Music Box
    {{  0,  48, 176,  64,   0,   0,   0,   0,   0,   1,  67,   0,  64, 255,   0,   4, 240,  32,  16,   5,   7,   5,   8}}, // 37 Synth Bass
}};
// clang-format on

TEST(RomImage, IsNineChipsOf2048Bytes) {
    EXPECT_EQ(sizeof(t815::kRomImage), 18432u);
    EXPECT_EQ(romChip(t815::kChipLevelHigh) - t815::kRomImage, 8 * 2048);
}

TEST(PitchTable, FirstSixteenEntriesAreTheFactoryValues) {
    const std::array<unsigned, 16> expected = {0,    1,    328,  518,  1081,  1222,  2154,  2193,
                                               4201, 4246, 8221, 8401, 16443, 17420, 32885, 36913};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pitchEntry(i), expected[i]) << i;
}

TEST(PitchTable, TellingEntries) {
    EXPECT_EQ(pitchEntry(16), 43u);
    EXPECT_EQ(pitchEntry(192), 81u);
    EXPECT_EQ(pitchEntry(1232), 3457u);
    EXPECT_EQ(pitchEntry(1424), 6913u);
    EXPECT_EQ(pitchEntry(1616), 13827u);
    EXPECT_EQ(pitchEntry(1856), 32885u);
    EXPECT_EQ(pitchEntry(1919), 41284u);
    EXPECT_EQ(pitchEntry(2047), 65534u);
}

TEST(PitchTable, FollowsTheCurveWith35EntriesOneBelowAnd7OneAbove) {
    int below = 0;
    int above = 0;
    for (std::size_t i = kPitchCurveFirst; i < kPitchEntries; ++i) {
        const long rounded = static_cast<long>(std::floor(pitchCurve(i) + 0.5));
        const long diff = static_cast<long>(pitchEntry(i)) - rounded;
        ASSERT_LE(std::labs(diff), 1) << "entry " << i;
        below += diff == -1;
        above += diff == 1;
    }
    EXPECT_EQ(below, 35);
    EXPECT_EQ(above, 7);
}

TEST(PitchTable, ComputedTopOctaveDoublesTheOctaveBelow) {
    const std::vector<std::uint32_t> table = unpackedPitchTable();
    EXPECT_EQ(table[2048], 65770u);
    EXPECT_EQ(table[2111], 82568u);
    EXPECT_EQ(table[2048], 2 * table[1856]);
    EXPECT_EQ(table[2111], 2 * table[1919]);
    for (std::size_t i = kPitchCurveFirst + 1; i < kPitchTableEntries; ++i)
        EXPECT_LE(table[i - 1], table[i]) << "entry " << i;
}

TEST(Waves, HeadsAreTheFactoryCodes) {
    for (int w = 0; w < kWaveCount; ++w)
        for (int n = 0; n < kHeadLength; ++n)
            EXPECT_EQ(waveCode(w, n), kWaveHeads[w][n]) << "wave " << w << " sample " << n;
}

TEST(Waves, EveryCodeFitsElevenBits) {
    for (int w = 0; w < kWaveCount; ++w)
        for (int n = 0; n < kWaveLength; ++n)
            EXPECT_LE(waveCode(w, n), 2047u) << w << " " << n;
    for (std::size_t i = 0; i < t815::kRomChipBytes; ++i) {
        EXPECT_LE(romChip(t815::kChipWaves03High)[i], 7) << i;
        EXPECT_LE(romChip(t815::kChipWaves47High)[i], 7) << i;
    }
}

TEST(LevelTables, HighTableIsSilentThenDoublesEvery128) {
    const std::uint8_t* high = romChip(t815::kChipLevelHigh);
    for (std::size_t k = 0; k < kLevelZeroBelow; ++k)
        EXPECT_EQ(high[k], 0) << k;
    const std::array<std::pair<std::size_t, int>, 9> points = {{{1024, 1},
                                                                {1152, 2},
                                                                {1280, 4},
                                                                {1408, 8},
                                                                {1536, 16},
                                                                {1664, 32},
                                                                {1792, 63},
                                                                {1920, 127},
                                                                {2047, 252}}};
    for (const auto& [k, level] : points)
        EXPECT_EQ(high[k], level) << k;
    for (std::size_t k = 1; k < kLevelEntries; ++k)
        EXPECT_LE(high[k - 1], high[k]) << k;
}

TEST(LevelTables, LowTableMirrorsTheHighOne) {
    const std::uint8_t* high = romChip(t815::kChipLevelHigh);
    const std::uint8_t* low = romChip(t815::kChipLevelLow);
    for (std::size_t k = 0; k < kLevelEntries; ++k)
        EXPECT_EQ(low[k], 255 - high[k]) << k;
    EXPECT_EQ(low[0], 255);
    EXPECT_EQ(low[2047], 3);
}

TEST(VoicePrograms, DecodeThroughTheByteMapToTheFactoryPrograms) {
    const std::uint8_t* voices = romChip(t815::kChipVoices) + t815::kVoiceEntriesOffset;
    for (int k = 0; k < kPrograms; ++k) {
        const std::uint8_t* entry = voices + k * t815::kVoiceEntryBytes;
        std::array<int, kProgramBytes> decoded{};
        std::array<int, kProgramBytes> written{};
        for (std::size_t e = 0; e < t815::kVoiceEntryBytes; ++e) {
            if (kEntryByteMap[e] == kNotRead) continue;
            decoded[kEntryByteMap[e]] = entry[e];
            ++written[kEntryByteMap[e]];
        }
        for (int b = 0; b < kProgramBytes; ++b) {
            ASSERT_EQ(written[b], 1) << "program byte " << b;
            EXPECT_EQ(decoded[b], kFactoryPrograms[k][b]) << "entry " << k << " byte " << b;
        }
    }
}

TEST(VoicePrograms, BytesTheCoreNeverReadsAreZero) {
    const std::uint8_t* chip = romChip(t815::kChipVoices);
    for (std::size_t i = 0; i < t815::kVoiceEntriesOffset; ++i)
        EXPECT_EQ(chip[i], 0) << i;
    for (int k = 0; k < kPrograms; ++k) {
        const std::uint8_t* entry = chip + t815::kVoiceEntriesOffset + k * t815::kVoiceEntryBytes;
        for (std::size_t e = 0; e < t815::kVoiceEntryBytes; ++e) {
            if (kEntryByteMap[e] == kNotRead) {
                EXPECT_EQ(entry[e], 0) << "entry " << k << " byte " << e;
            }
        }
    }
}

// The designed continuation joins its head and the cycle wraps without a
// jump: no step between neighbouring samples, from the last sample back to
// the first included, exceeds the steepest step inside the head by more than
// 4 levels (wave 2's head stores the sample at its zero crossing as -4).
TEST(WaveDesign, NoStepSteeperThanTheHead) {
    constexpr int kSlack = 4;
    for (int w = 0; w < kWaveCount; ++w) {
        const std::vector<int> level = waveLevels(w);
        int headStep = 0;
        for (int n = 1; n < kHeadLength; ++n)
            headStep = std::max(headStep, std::abs(level[n] - level[n - 1]));
        for (int n = 0; n < kWaveLength; ++n) {
            const int next = level[(n + 1) % kWaveLength];
            EXPECT_LE(std::abs(next - level[n]), headStep + kSlack)
                << "wave " << w << " sample " << n;
        }
    }
}

TEST(WaveDesign, WavesUseFullScaleWithoutOffset) {
    for (int w = 0; w < kWaveCount; ++w) {
        const std::vector<int> level = waveLevels(w);
        int highest = 0;
        int lowest = 0;
        long sum = 0;
        for (int v : level) {
            highest = std::max(highest, v);
            lowest = std::min(lowest, v);
            sum += v;
        }
        EXPECT_GE(highest, 245) << "wave " << w;
        // Wave 4 is a one-third pulse: its low level is half its high one.
        EXPECT_LE(lowest, w == 4 ? -120 : -245) << "wave " << w;
        EXPECT_LE(std::abs(static_cast<double>(sum) / kWaveLength), 1.0) << "wave " << w;
    }
}

constexpr double kTwoPi = 6.283185307179586;

// Fraction of a wave's (AC) energy in harmonics above `harmonic`.
double energyAbove(const std::vector<int>& level, int harmonic) {
    double total = 0.0;
    double above = 0.0;
    for (int k = 1; k <= kWaveLength / 2; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < kWaveLength; ++n) {
            const double phase = kTwoPi * k * n / kWaveLength;
            re += level[n] * std::cos(phase);
            im -= level[n] * std::sin(phase);
        }
        const double energy = re * re + im * im;
        total += energy;
        if (k > harmonic) above += energy;
    }
    return above / total;
}

TEST(WaveDesign, WavesAreBandLimited) {
    // Waves 3 and 4 open with a resonance burst and a four-sample edge that
    // their heads demand; the others are smooth.
    for (int w = 0; w < kWaveCount; ++w) {
        const bool steep = w == 3 || w == 4;
        EXPECT_LT(energyAbove(waveLevels(w), steep ? 64 : 32), steep ? 1e-3 : 1e-4) << "wave " << w;
    }
}

} // namespace
