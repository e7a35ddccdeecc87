// The instrument's ROM image: nine 2048-byte chips, one after the other,
// linked into the library as constant data (generated at build time from
// core/rom/t815.rom). Nothing is read from disk at run time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace t815 {

constexpr std::size_t kRomChipBytes = 2048;
constexpr std::size_t kRomChipCount = 9;
constexpr std::size_t kRomImageBytes = kRomChipBytes * kRomChipCount; // 18,432

// Chip numbers in image order.
enum RomChip : std::size_t {
    kChipPitchLow = 0,
    kChipPitchHigh = 1,
    kChipWaves03Low = 2,
    kChipWaves03High = 3,
    kChipVoices = 4, // bytes 1024..2047: 32 voice entries of 32 bytes
    kChipWaves47Low = 5,
    kChipWaves47High = 6,
    kChipLevelLow = 7,
    kChipLevelHigh = 8,
};

constexpr std::size_t kVoiceEntriesOffset = 1024; // within the voice chip
constexpr std::size_t kVoiceEntryBytes = 32;

extern const std::uint8_t kRomImage[kRomImageBytes];

inline const std::uint8_t* romChip(RomChip chip) {
    return kRomImage + chip * kRomChipBytes;
}

} // namespace t815
