// Shared by the core's tests: a constructed core on the heap, a digest of
// rendered samples that is the same on every target when the bits are, and
// the levels a span reads.
#pragma once

#include "synth_core.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace t815 {

// The same stored levels, not merely equal ones.
inline bool operator==(LevelSpan a, LevelSpan b) {
    return a.data == b.data && a.size == b.size;
}

} // namespace t815

namespace t815::test {

struct CoreDeleter {
    void operator()(SynthCore* core) const {
        teardownCore(*core);
        delete core;
    }
};
using CorePtr = std::unique_ptr<SynthCore, CoreDeleter>;

inline CorePtr makeCore() {
    CorePtr core(new SynthCore());
    if (!constructCore(*core)) return nullptr;
    return core;
}

// FNV-1a over bytes.
struct Digest {
    std::uint64_t value = 0xcbf29ce484222325ull;

    void addBytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value ^= bytes[i];
            value *= 0x100000001b3ull;
        }
    }
    void addFloats(const float* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, &samples[i], sizeof bits);
            std::uint8_t le[4] = {std::uint8_t(bits), std::uint8_t(bits >> 8),
                                  std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
            addBytes(le, 4);
        }
    }
    template <typename T> void addValue(T v) { addBytes(&v, sizeof v); }
};

inline ByteSequence bytesOf(LevelSpan span) {
    return ByteSequence(span.data, span.data + span.size);
}

// A span reading the caller's bytes, which must outlive its use.
inline LevelSpan spanOf(const ByteSequence& bytes) {
    return {bytes.data(), static_cast<std::uint32_t>(bytes.size())};
}

// Run-length view of a sequence: (level, count) pairs.
inline std::vector<std::pair<int, int>> runs(LevelSpan levels) {
    std::vector<std::pair<int, int>> out;
    for (std::uint32_t i = 0; i < levels.size; ++i) {
        const int level = levels.data[i];
        if (!out.empty() && out.back().first == level)
            ++out.back().second;
        else
            out.push_back({level, 1});
    }
    return out;
}
inline std::vector<std::pair<int, int>> runs(const ByteSequence& levels) {
    return runs(spanOf(levels));
}

} // namespace t815::test
