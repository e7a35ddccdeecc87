// An envelope replayed one level per step. Durations are stored by
// repetition: a level lasting n steps appears n times. Past the end of its
// levels a stream holds its last level for ever; an empty stream reads 0.
// A stream does not own its levels: it reads a sequence kept elsewhere (a
// program's template, shared by every stream restarted on it, or a release),
// so restarting one costs the same whatever the envelope's length.
#pragma once

#include <cstdint>
#include <vector>

namespace t815 {

using ByteSequence = std::vector<std::uint8_t>;

// A run of levels stored elsewhere: where it starts and how many there are.
struct LevelSpan {
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};

struct EnvelopeStream {
    LevelSpan levels;          // one 8-bit level per replayed step
    std::uint32_t readPos = 0; // index of the next level to replay
};

// The level a reader would take now, without taking it.
inline std::uint8_t levelAtReadPos(const EnvelopeStream& stream) {
    const std::uint32_t size = stream.levels.size;
    if (size == 0) return 0;
    return stream.levels.data[stream.readPos < size ? stream.readPos : size - 1];
}

// Takes the level at the read position and moves on. The position stops at
// the end instead of counting on: a 32-bit counter that kept counting would
// wrap after 2^32 reads (a day-long drone) and replay the envelope from its
// attack. Every level read is the same as with an unbounded counter.
inline std::uint8_t takeLevel(EnvelopeStream& stream) {
    const std::uint32_t size = stream.levels.size;
    if (stream.readPos < size) return stream.levels.data[stream.readPos++];
    return size == 0 ? 0 : stream.levels.data[size - 1];
}

// Makes the stream read `levels` from the start.
inline void restartStream(EnvelopeStream& stream, LevelSpan levels) {
    stream.levels = levels;
    stream.readPos = 0;
}

} // namespace t815
