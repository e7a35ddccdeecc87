// The output filter's arithmetic. Every value the hardware model stores is
// rounded to a 32-bit float where it is formed; everything in between is
// double precision. The order of operations below is part of the sound.
#include "output_filter.h"

namespace t815 {

namespace {

constexpr float kThird = 1.0f / 3.0f; // 0.3333333432674408
constexpr float kCoefficientOffset = 0.042f;
constexpr float kCoefficientCeiling = 0.99f;
constexpr float kResonanceOffset = 0.01f;
constexpr double kEnvelopeScale = 255.0;

} // namespace

FilterCoefficients filterCoefficients(float floor, double cutoff, float resonance,
                                      int envelopeByte) {
    const double a = floor;
    const float position = static_cast<float>(a + ((1.0 - a) / kEnvelopeScale) * envelopeByte);
    const double c = cutoff;
    float g =
        static_cast<float>((position * c + (1.0 - c)) + static_cast<double>(kCoefficientOffset));
    if (g > kCoefficientCeiling) g = kCoefficientCeiling;
    const double r = resonance;
    return {g, static_cast<float>(r + r / (1.0 - g))};
}

FilterSetup prepareFilter(const SynthCore& core, float c, float r) {
    const int flags = currentVoiceProgram(core)[toneFlags];
    const int floorCode = filterFloorCode(flags);
    const int resonanceLevel = resonanceCode(flags);

    FilterSetup setup{};
    setup.s1 = core.filterState[0];
    setup.s2 = core.filterState[1];
    setup.floor = static_cast<float>(floorCode * static_cast<double>(kThird));
    setup.cutoff = c;
    float resonance = static_cast<float>((resonanceLevel * static_cast<double>(kThird)) * r);
    if (resonanceLevel != 0)
        resonance = static_cast<float>(resonance - static_cast<double>(kResonanceOffset));
    setup.resonance = resonance;
    setup.cachedByte = -1;
    return setup;
}

std::int32_t outputFilter(SynthCore& core, std::int32_t x, float c, float r) {
    FilterSetup setup = prepareFilter(core, c, r);
    const std::int32_t y = runFilter(core, setup, x);
    finishFilter(core, setup);
    return y;
}

} // namespace t815
