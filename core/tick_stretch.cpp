// The envelope bytes of a stretch, copied into rows. A slot's oscillator A takes the
// byte at the read position, B the next one when A takes one too, and the
// stream moves by the number of oscillators that take one; past its end a
// stream gives its last byte (an empty one 0) and stays where it is.
#include "tick_stretch.h"

#include <cstring>

#include <emmintrin.h>

namespace t815 {

namespace {

const std::uint8_t kNoAmplitude = 0; // what an oscillator without pitch takes

// Start and stride of a reader taking `perTick` bytes a tick; false when the
// stream ends within the stretch.
bool locate(const EnvelopeStream& stream, std::uint32_t perTick, std::uint32_t ticks,
            const std::uint8_t*& at, std::uint32_t& stride) {
    const std::uint32_t size = stream.levels.size;
    if (stream.readPos >= size) {
        at = size == 0 ? &kNoAmplitude : stream.levels.data + (size - 1);
        stride = 0;
        return true;
    }
    if (stream.readPos + std::uint64_t{perTick} * ticks > size) return false;
    at = stream.levels.data + stream.readPos;
    stride = perTick;
    return true;
}

// Copies `ticks` bytes from `at` at `stride` (0 or 1) into a row.
void copyRow(std::uint8_t* row, const std::uint8_t* at, std::uint32_t stride, std::uint32_t ticks) {
    if (stride == 0)
        std::memset(row, *at, ticks);
    else
        std::memcpy(row, at, ticks);
}

// The bytes of a stream both of a slot's oscillators take from: A's are the
// even ones, B's the odd. Sixteen ticks at a time with SSE2 (which every
// target has): the low and the high byte of each 16-bit pair, packed.
void splitRows(std::uint8_t* a, std::uint8_t* b, const std::uint8_t* at, std::uint32_t ticks) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    std::uint32_t t = 0;
    for (; t + 16 <= ticks; t += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2 * t));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2 * t + 16));
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(a + t),
            _mm_packus_epi16(_mm_and_si128(first, lowBytes), _mm_and_si128(second, lowBytes)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(b + t),
                         _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8)));
    }
    for (; t < ticks; ++t) {
        a[t] = at[2 * t];
        b[t] = at[2 * t + 1];
    }
}

} // namespace

bool fillRows(const SynthCore& core, const TickSetup& setup, std::uint32_t ticks,
              EnvelopeRows& rows) {
    for (int k = 0; k < kSlotCount; ++k) {
        const bool aTakes = core.oscPitch[2 * k] != 0, bTakes = core.oscPitch[2 * k + 1] != 0;
        const std::uint32_t perTick = (aTakes ? 1 : 0) + (bTakes ? 1 : 0);
        const std::uint8_t* at = &kNoAmplitude;
        std::uint32_t stride = 0;
        if (perTick != 0 && !locate(core.ampStreams[k], perTick, ticks, at, stride)) return false;
        rows.slotStride[k] = stride;
        std::uint8_t* a = rows.amp[2 * k];
        std::uint8_t* b = rows.amp[2 * k + 1];
        if (stride == 2) {
            splitRows(a, b, at, ticks);
            continue;
        }
        // Past the end B reads the same held byte as A.
        copyRow(a, aTakes ? at : &kNoAmplitude, aTakes ? stride : 0, ticks);
        copyRow(b, bTakes ? at : &kNoAmplitude, bTakes ? stride : 0, ticks);
    }
    rows.filterStride = 0;
    if (!setup.filterOn) return true;
    const std::uint8_t* at;
    if (!locate(core.filterStream, 1, ticks, at, rows.filterStride)) return false;
    copyRow(rows.filter, at, rows.filterStride, ticks);
    return true;
}

void finishRows(SynthCore& core, const TickSetup& setup, const EnvelopeRows& rows,
                std::uint32_t ticks) {
    for (int k = 0; k < kSlotCount; ++k)
        core.ampStreams[k].readPos += rows.slotStride[k] * ticks;
    if (setup.filterOn) core.filterStream.readPos += rows.filterStride * ticks;
}

} // namespace t815
