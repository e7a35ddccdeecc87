// The panel's scale sources, platform-free.
#include "editor_scale.h"

#include "plugin_instance.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace t815 {

bool takeHostScale(PluginInstance& instance, double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return false;
    instance.hostScaleQuarters.store(scaleQuarters(panelScaleOf(factor)));
    return true;
}

PanelScale chosenScale(const PluginInstance& instance, PanelScale display) {
    const int quarters = instance.hostScaleQuarters.load();
    return quarters != 0 ? PanelScale{quarters} : PanelScale{scaleQuarters(display)};
}

PanelScale scaleOfDpi(double dpi) {
    return std::isfinite(dpi) && dpi > 0.0 ? panelScaleOf(dpi / 96.0) : kUnitScale;
}

double xftDpiOf(const char* resources) {
    static constexpr char kName[] = "Xft.dpi:";
    for (const char* line = resources; line && *line;) {
        const char* end = std::strchr(line, '\n');
        if (std::strncmp(line, kName, sizeof kName - 1) == 0) {
            char* parsed = nullptr;
            const double dpi = std::strtod(line + sizeof kName - 1, &parsed);
            return parsed != line + sizeof kName - 1 ? dpi : 0.0;
        }
        line = end ? end + 1 : nullptr;
    }
    return 0.0;
}

} // namespace t815
