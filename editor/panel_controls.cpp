// The panel's mouse handlers. A press starts at most one interaction,
// recorded in the instance's panel fields: a drag (dragControl), a key held
// with the mouse (mouseHeldKey) or the held reset button. Each takes the
// mouse capture at the press and gives it back at the release. Current
// values (drag starts, switch states, program digits) come from the settings
// the host sees, so the panel and the host never disagree; every change goes
// through the hand-off to the core.
#include "panel_controls.h"

#include "instrument_operations.h"
#include "panel_editor.h"
#include "panel_knobs.h"
#include "panel_layout.h"

namespace t815 {

namespace {

bool inside(PanelRect area, int x, int y) {
    return x >= area.left && x <= area.right && y >= area.top && y <= area.bottom;
}

bool onButton(int left, int x, int y) {
    return x >= left && x <= left + kButtonSize && y >= kButtonHitTop && y <= kButtonHitBottom;
}

// The switches answer from their lamps down.
bool onSwitch(int left, int x, int y) {
    return x >= left && x <= left + kButtonSize && y >= kSwitchHitTop && y <= kButtonHitBottom;
}

// The knob (kDragTuning..kDragVolume) whose hit circle holds the point, or
// kDragNone.
std::int32_t knobAt(int x, int y) {
    for (int i = 0; i < 4; ++i) {
        const std::int64_t dx = std::int64_t{x} - kKnobCentresX[i];
        const std::int64_t dy = std::int64_t{y} - kKnobCentreY;
        if (dx * dx + dy * dy <= std::int64_t{kKnobHitRadius} * kKnobHitRadius)
            return kDragTuning + i;
    }
    return kDragNone;
}

bool inList(int x, int y) {
    return x >= kListLeft && x < kListLeft + kListColumns * kListCellWidth && y >= kListTop &&
           y < kListTop + kListRows * kListCellHeight;
}

// The entry of the list cell under a point inside the list: a program index
// or -1.
int listEntryAt(int x, int y) {
    return kListLayout[(x - kListLeft) / kListCellWidth][(y - kListTop) / kListCellHeight];
}

void turnKnob(PluginInstance& instance, std::int32_t control, float v) {
    switch (control) {
    case kDragTuning:
        setPitchOffset(instance, static_cast<std::int32_t>(kTuningSteps * static_cast<double>(v)) -
                                     kTuningCentre);
        break;
    case kDragCutoff:
        storeParameter(instance, kParamCutoff, v);
        break;
    case kDragResonance:
        storeParameter(instance, kParamResonance, v);
        break;
    default: // kDragVolume
        storeParameter(instance, kParamVolume, v);
        break;
    }
}

// The host parameter a dragged control moves; -1 for the tuning knob and the
// wheel, which are no host parameters.
std::int32_t parameterOfControl(std::int32_t control) {
    switch (control) {
    case kDragCutoff:
        return kParamCutoff;
    case kDragResonance:
        return kParamResonance;
    case kDragVolume:
        return kParamVolume;
    default:
        return -1;
    }
}

// Tells the face that a drag of a parameter's knob begins or ends.
void markDrag(PluginInstance& instance, std::int32_t control, bool begins) {
    const std::int32_t index = parameterOfControl(control);
    if (index != -1) markParameterGesture(instance, index, begins);
}

// Ends the press in progress; releaseCapture is false when the capture is
// already gone.
void finishInteraction(PluginInstance& instance, PanelWindow& window, bool releaseCapture) {
    // Each field is cleared before the capture is given back: giving it back
    // may report the capture lost at once, which comes here again.
    if (instance.resetButtonDown) {
        instance.resetButtonDown = false;
        if (releaseCapture) window.releaseMouse();
        window.repaint();
    }
    if (instance.dragControl != kDragNone) {
        const std::int32_t control = instance.dragControl;
        instance.dragControl = kDragNone;
        markDrag(instance, control, false);
        if (releaseCapture) window.releaseMouse();
    }
    if (instance.mouseHeldKey != -1) {
        const std::int32_t key = instance.mouseHeldKey;
        instance.mouseHeldKey = -1;
        releaseKey(instance, key);
        if (releaseCapture) window.releaseMouse();
        window.repaint();
    }
}

bool interactionInProgress(const PluginInstance& instance) {
    return instance.resetButtonDown || instance.dragControl != kDragNone ||
           instance.mouseHeldKey != -1;
}

// The tests of a press in their order; the first that matches acts.
void press(PluginInstance& instance, PanelWindow& window, int x, int y) {
    if (instance.aboutVisible) { // this press reaches no control
        instance.aboutVisible = false;
        window.repaint();
        return;
    }
    if (inside(kLogoHitArea, x, y)) {
        instance.aboutVisible = true;
        window.repaint();
        return;
    }
    if (inside(kResetFrame, x, y)) {
        instance.resetButtonDown = true;
        resetAllVoices(instance);
        window.repaint();
        window.captureMouse();
        return;
    }
    const PanelState state = readPanelState(instance);
    if (const std::int32_t knob = knobAt(x, y); knob != kDragNone) {
        // Nothing is written until the first move.
        instance.dragControl = knob;
        instance.dragStartValue = knobPosition(state, knob);
        instance.dragStartY = y;
        markDrag(instance, knob, true);
        window.captureMouse();
        return;
    }
    // Program numbers are octal-style, so a button sets one digit of the
    // number and keeps the other: index = units + 8 tens.
    for (int i = 0; i < kGroupCount; ++i)
        if (onButton(kGroupButtonsLeft + kButtonPitch * i, x, y)) {
            selectProgramIndex(instance, state.programUnits + kTimbreCount * i,
                               SelectSource::instrument);
            return;
        }
    for (int n = 0; n < kTimbreCount; ++n)
        if (onButton(kTimbreButtonsLeft + kButtonPitch * n, x, y)) {
            selectProgramIndex(instance, n + kTimbreCount * state.programTens,
                               SelectSource::instrument);
            return;
        }
    if (onSwitch(kFilterSwitchLeft, x, y)) {
        storeParameter(instance, kParamFilter, state.filterOn ? 0.0f : 1.0f);
        window.repaint();
        return;
    }
    if (onSwitch(kUnisonSwitchLeft, x, y)) {
        storeParameter(instance, kParamUnison, state.unisonOn ? 0.0f : 1.0f);
        window.repaint();
        return;
    }
    if (inList(x, y)) {
        const int entry = listEntryAt(x, y);
        if (entry != -1)
            selectProgramIndex(instance, entry,
                               SelectSource::instrument); // an empty cell does nothing
        return;
    }
    if (inside(kWheelWell, x, y)) {
        instance.dragControl = kDragWheel;
        window.captureMouse();
        onMouseDrag(instance, window, x, y, kUnitScale); // jumps to the pointer (layout x, y)
        return;
    }
    if (y >= kKeyboardTop) {
        const std::int32_t key = keyAtPoint(x, y);
        if (key == -1) return;
        instance.mouseHeldKey = key;
        pressKey(instance, key);
        window.captureMouse();
        window.repaint();
    }
}

} // namespace

std::int32_t keyAtPoint(int x, int y) {
    if (y > kKeyboardBottom) return -1;
    if (y <= kBlackKeyBottom)
        for (int k = kFirstKey; k <= kLastKey; ++k)
            if (isBlackKey(k) && x >= keyLeft(k) && x <= keyLeft(k) + kBlackKeyWidth) return k;
    for (int k = kFirstKey; k <= kLastKey; ++k)
        if (!isBlackKey(k) && x >= keyLeft(k) && x < keyLeft(k) + kWhiteKeyPitch) return k;
    return -1;
}

void onMouseDown(PluginInstance& instance, PanelWindow& window, int x, int y, PanelScale scale) {
    // A press whose release never came (lost on the way) is ended first, so
    // a new press can never leave a key sounding.
    if (interactionInProgress(instance)) finishInteraction(instance, window, true);
    press(instance, window, unscaled(scale, x), unscaled(scale, y));
}

void onMouseDrag(PluginInstance& instance, PanelWindow& window, int x, int y, PanelScale scale) {
    x = unscaled(scale, x);
    y = unscaled(scale, y);
    const std::int32_t control = instance.dragControl;
    if (control >= kDragTuning && control <= kDragVolume) {
        // Up by 100 pixels turns the knob over its whole range.
        const double moved = static_cast<double>(instance.dragStartY) - y;
        const float v = clampedToUnit(static_cast<float>(
            moved / kKnobDragSpan + static_cast<double>(instance.dragStartValue)));
        turnKnob(instance, control, v);
        window.repaint();
        return;
    }
    if (control == kDragWheel) {
        const float v = clampedToUnit(
            static_cast<float>((static_cast<double>(kWheelZeroY) - y) / kWheelTravel));
        setModWheel(instance, v);
        window.repaint();
        return;
    }
    if (instance.mouseHeldKey == -1 || y < kKeyboardTop) return;
    // Glissando; off the keys (above them, or in a gap) the old key sounds on.
    const std::int32_t key = keyAtPoint(x, y);
    if (key == -1 || key == instance.mouseHeldKey) return;
    releaseKey(instance, instance.mouseHeldKey);
    instance.mouseHeldKey = key;
    pressKey(instance, key);
    window.repaint();
}

void onMouseUp(PluginInstance& instance, PanelWindow& window) {
    finishInteraction(instance, window, true);
}

void onRightButtonDown(PluginInstance& instance, PanelWindow& window) {
    setModWheel(instance, 0.0f);
    window.repaint();
}

void endPanelInteraction(PluginInstance& instance, PanelWindow& window) {
    finishInteraction(instance, window, false);
}

void handlePanelEvent(PluginInstance& instance, PanelWindow& window, const PanelEvent& event,
                      PanelScale scale) {
    switch (event.input) {
    case PanelInput::leftButtonDown:
        onMouseDown(instance, window, event.x, event.y, scale);
        break;
    case PanelInput::pointerMove:
        if (event.leftButtonHeld) onMouseDrag(instance, window, event.x, event.y, scale);
        break;
    case PanelInput::leftButtonUp:
        onMouseUp(instance, window);
        break;
    case PanelInput::rightButtonDown:
        onRightButtonDown(instance, window);
        break;
    case PanelInput::captureLost:
        endPanelInteraction(instance, window);
        break;
    case PanelInput::repaintTimer:
        // With no audio, the timer is what brings the queued changes to the
        // core, and so to what the panel shows.
        applyChangesWhileAudioAbsent(instance);
        window.repaint();
        break;
    }
}

} // namespace t815
