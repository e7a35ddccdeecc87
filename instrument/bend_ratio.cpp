// The pitch-bend ratio 2^e, |e| <= 1/6, rounded to a float. It is computed
// with plain double arithmetic instead of the C library's exp2: libraries
// differ between targets (and on 32-bit Windows may use the x87 under the
// host's precision setting), while a fixed series in double gives the same
// bits everywhere. The series is accurate to a few units in the last place
// of a double, far below the float rounding that follows.
#include "bend_ratio.h"

namespace t815 {

namespace {

constexpr std::int32_t kBendCentre = 8192;
constexpr double kLn2 = 0.6931471805599453094;

// e^x for |x| <= 0.12 by its Taylor series; the terms past x^13/13! are
// below 1e-24.
double expSmall(double x) {
    double sum = 1.0;
    for (int n = 13; n >= 1; --n)
        sum = 1.0 + x * sum / n;
    return sum;
}

} // namespace

float bendRatioFor(std::int32_t value) {
    const double steps = static_cast<double>(value - kBendCentre);
    const float exponent = static_cast<float>(steps * 0x1p-13 * (1.0 / 6.0));
    return static_cast<float>(expSmall(static_cast<double>(exponent) * kLn2));
}

} // namespace t815
