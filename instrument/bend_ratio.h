// The pitch-bend ratio for a 14-bit MIDI pitch-bend value.
#pragma once

#include <cstdint>

namespace t815 {

// 2^e for e = (value - 8192) x 2^-13 / 6 rounded to a float: +-2 semitones,
// exactly 1.0 at the centre 8192. value is 0..16383.
float bendRatioFor(std::int32_t value);

} // namespace t815
