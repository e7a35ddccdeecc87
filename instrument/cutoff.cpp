// The cutoff coefficient: the cutoff setting lowered by up to 0.65 by the
// modulation wheel, never below 0.05 nor above 0.99.
#include "cutoff.h"

#include "plugin_instance.h"

namespace t815 {

namespace {
constexpr float kWheelDepth = 0.65f;
constexpr float kLowestCoef = 0.05f;
constexpr float kHighestCoef = 0.99f;
} // namespace

void updateCutoffCoefficient(PluginInstance& instance) {
    // Product and difference in double, one rounding to float at the store.
    float coef = static_cast<float>(static_cast<double>(instance.cutoffParam) -
                                    static_cast<double>(instance.modWheel) * kWheelDepth);
    // Written as "not at least" so that a NaN, should one ever get here,
    // becomes the lowest coefficient instead of reaching the filter.
    if (!(coef >= kLowestCoef)) coef = kLowestCoef;
    if (coef > kHighestCoef) coef = kHighestCoef;
    instance.core.cutoffCoef = coef;
}

} // namespace t815
