// The instrument's left and right blocks written as an audio device takes
// them: interleaved frames of any channel count (left and right on the first
// two, their mean on a single one, silence on the rest), in 32-bit float
// unchanged or in 16-bit integer rounded and clipped.
#pragma once

#include <cstdint>

namespace t815 {

enum class DeviceSampleFormat { float32, int16 };

// Writes `frames` frames to `device`, starting at its frame `offset`.
void writeDeviceFrames(const float* left, const float* right, std::int32_t frames,
                       std::int32_t channels, DeviceSampleFormat format, void* device,
                       std::int32_t offset);

// A sample in [-1, 1] as a 16-bit integer: rounded, clipped beyond, and NaN
// as silence.
std::int16_t int16Sample(float sample);

} // namespace t815
