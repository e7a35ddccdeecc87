// An envelope replayed one level per step. Durations are stored by
// repetition: a level lasting n steps appears n times. Past the end of its
// levels a stream holds its last level for ever; an empty stream reads 0.
#pragma once

#include <cstdint>
#include <vector>

namespace t815 {

using ByteSequence = std::vector<std::uint8_t>;

struct EnvelopeStream {
    ByteSequence levels;       // one 8-bit level per replayed step
    std::uint32_t readPos = 0; // index of the next level to replay
};

// The level a reader would take now, without taking it.
inline std::uint8_t levelAtReadPos(const EnvelopeStream& stream) {
    const std::size_t size = stream.levels.size();
    if (size == 0) return 0;
    return stream.readPos < size ? stream.levels[stream.readPos] : stream.levels[size - 1];
}

// Takes the level at the read position and moves on. The position stops at
// the end instead of counting on: a 32-bit counter that kept counting would
// wrap after 2^32 reads (a day-long drone) and replay the envelope from its
// attack. Every level read is the same as with an unbounded counter.
inline std::uint8_t takeLevel(EnvelopeStream& stream) {
    const std::size_t size = stream.levels.size();
    if (stream.readPos < size) return stream.levels[stream.readPos++];
    return size == 0 ? 0 : stream.levels[size - 1];
}

// Replaces the stream's contents with a copy of a template and rewinds it.
// The copy reuses the stream's storage when it is large enough.
inline void restartStream(EnvelopeStream& stream, const ByteSequence& from) {
    stream.levels.assign(from.begin(), from.end());
    stream.readPos = 0;
}

} // namespace t815
