// Where the envelope bytes of a stretch lie. A slot's oscillator A takes the
// byte at the read position, B the next one when A takes one too, and the
// stream moves by the number of oscillators that take one; past its end a
// stream gives its last byte (an empty one 0) and stays where it is.
#include "tick_stretch.h"

namespace t815 {

namespace {

const std::uint8_t kNoAmplitude = 0; // what an oscillator without pitch takes

// Start and stride of a reader taking `perTick` bytes a tick; false when the
// stream ends within the stretch.
bool locate(const EnvelopeStream& stream, std::uint32_t perTick, std::uint32_t ticks,
            const std::uint8_t*& at, std::uint32_t& stride) {
    const std::size_t size = stream.levels.size();
    if (stream.readPos >= size) {
        at = size == 0 ? &kNoAmplitude : &stream.levels[size - 1];
        stride = 0;
        return true;
    }
    if (stream.readPos + std::uint64_t{perTick} * ticks > size) return false;
    at = stream.levels.data() + stream.readPos;
    stride = perTick;
    return true;
}

} // namespace

bool prepareReaders(const SynthCore& core, const TickSetup& setup, std::uint32_t ticks,
                    EnvelopeReaders& readers) {
    for (int k = 0; k < kSlotCount; ++k) {
        const bool aTakes = core.oscPitch[2 * k] != 0, bTakes = core.oscPitch[2 * k + 1] != 0;
        const std::uint32_t perTick = (aTakes ? 1 : 0) + (bTakes ? 1 : 0);
        const std::uint8_t* at = &kNoAmplitude;
        std::uint32_t stride = 0;
        if (perTick != 0 && !locate(core.ampStreams[k], perTick, ticks, at, stride)) return false;
        readers.slotStride[k] = stride;
        readers.amp[2 * k] = aTakes ? at : &kNoAmplitude;
        readers.ampStride[2 * k] = aTakes ? stride : 0;
        // Past the end B reads the same held byte; before it, the one after A's.
        readers.amp[2 * k + 1] = bTakes ? at + (aTakes && stride != 0 ? 1 : 0) : &kNoAmplitude;
        readers.ampStride[2 * k + 1] = bTakes ? stride : 0;
    }
    readers.filter = &kNoAmplitude;
    readers.filterStride = 0;
    return !setup.filterOn ||
           locate(core.filterStream, 1, ticks, readers.filter, readers.filterStride);
}

void finishReaders(SynthCore& core, const TickSetup& setup, const EnvelopeReaders& readers,
                   std::uint32_t ticks) {
    for (int k = 0; k < kSlotCount; ++k)
        core.ampStreams[k].readPos += readers.slotStride[k] * ticks;
    if (setup.filterOn) core.filterStream.readPos += readers.filterStride * ticks;
}

} // namespace t815
