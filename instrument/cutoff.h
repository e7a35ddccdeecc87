// The output filter's cutoff coefficient, derived from the cutoff setting and
// the modulation wheel.
#pragma once

namespace t815 {

struct PluginInstance;

// core.cutoffCoef = cutoffParam - modWheel x 0.65, kept within 0.05..0.99.
// Only the core's owner calls it (hand_off.h).
void updateCutoffCoefficient(PluginInstance& instance);

} // namespace t815
