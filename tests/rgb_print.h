// Colours as the tests' failure messages print them.
#pragma once

#include "draw_surface.h"

#include <ostream>

namespace t815 {

inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "Rgb(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << ")";
}

} // namespace t815
