// Interleaving and converting the instrument's output for a device buffer.
#include "device_samples.h"

#include <cmath>
#include <cstddef>

namespace t815 {

std::int16_t int16Sample(float sample) {
    const float scaled = sample * 32767.0f;
    if (std::isnan(scaled)) return 0;
    if (scaled <= -32768.0f) return -32768;
    if (scaled >= 32767.0f) return 32767;
    return static_cast<std::int16_t>(std::lrint(scaled));
}

void writeDeviceFrames(const float* left, const float* right, std::int32_t frames,
                       std::int32_t channels, DeviceSampleFormat format, void* device,
                       std::int32_t offset) {
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        for (std::int32_t channel = 0; channel < channels; ++channel) {
            const float sample = channels == 1  ? 0.5f * (left[frame] + right[frame])
                                 : channel == 0 ? left[frame]
                                 : channel == 1 ? right[frame]
                                                : 0.0f;
            const std::size_t index = static_cast<std::size_t>(offset + frame) * channels + channel;
            if (format == DeviceSampleFormat::float32)
                static_cast<float*>(device)[index] = sample;
            else
                static_cast<std::int16_t*>(device)[index] = int16Sample(sample);
        }
    }
}

} // namespace t815
