// The knobs' normalised positions 0..1 as the settings give them: what the
// painter turns a knob to and where a drag of it starts. Each is formed in
// double precision and rounded to a 32-bit float; settings outside their
// range give positions outside 0..1, which the knob draws clamped.
#pragma once

#include "instrument_operations.h"
#include "panel_layout.h"

namespace t815 {

// control is kDragTuning..kDragVolume; anything else answers 0.
inline float knobPosition(const PanelState& state, std::int32_t control) {
    switch (control) {
    case kDragTuning:
        return static_cast<float>((static_cast<double>(state.pitchOffset) + kTuningCentre) /
                                  kTuningSteps);
    case kDragCutoff:
        return static_cast<float>((static_cast<double>(state.cutoffParam) - kCutoffBase) /
                                  kCutoffSpan);
    case kDragResonance:
        return static_cast<float>(static_cast<double>(state.resonance) / kResonanceSpan);
    case kDragVolume:
        return state.volume;
    default:
        return 0.0f;
    }
}

} // namespace t815
