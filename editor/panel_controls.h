// The panel's mouse handling: knobs dragged vertically, the absolute
// modulation wheel, the two latching switches, program selection by group
// and timbre buttons or by the printed list, the reset button, the playable
// keyboard (one key at a time, with glissando) and the About overlay, which
// swallows the next press. The handlers act on the instance through the
// same operations the host and MIDI use, and reach the window only through
// PanelWindow; each platform translates its events into PanelEvents.
#pragma once

#include "panel_scale.h"

#include <cstdint>

namespace t815 {

struct PluginInstance;

// What the controls need of the platform's panel window.
class PanelWindow {
  public:
    virtual ~PanelWindow() = default;
    // Moves and the release reach the panel while the button is held, even
    // outside the window.
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    // The whole panel is drawn again soon, without erasing: what
    // requestRepaint (plugin_instance.h) does for the open panel. Apart from the
    // instance so that tests can count the requests.
    virtual void repaint() = 0;
};

// The keyboard's hit test at y >= 222 (layout coordinates): key 36..83, or
// -1 for none. Black keys answer down to y 342 and win over the white keys
// there.
std::int32_t keyAtPoint(int x, int y);

// Left button pressed, moved while held, released. x and y are window
// coordinates of the panel drawn at `scale`; each is taken back to the
// layout pixel drawn there, so every control answers where it is drawn and
// exactly as at scale 1, and a knob turns by its drag in layout pixels.
void onMouseDown(PluginInstance& instance, PanelWindow& window, int x, int y,
                 PanelScale scale = kUnitScale);
void onMouseDrag(PluginInstance& instance, PanelWindow& window, int x, int y,
                 PanelScale scale = kUnitScale);
void onMouseUp(PluginInstance& instance, PanelWindow& window);

// The right button anywhere: the modulation wheel back to 0.
void onRightButtonDown(PluginInstance& instance, PanelWindow& window);

// Ends a press whose release will never arrive, because the panel is
// closing or the capture was taken away: the mouse-held key gets its
// note-off, the reset button comes up, a drag ends. The capture is left
// alone (it is gone already). Harmless when no press is in progress. A
// closing panel calls it before its window goes.
void endPanelInteraction(PluginInstance& instance, PanelWindow& window);

// The window's input, as each platform delivers it.
enum class PanelInput {
    leftButtonDown,
    pointerMove, // leftButtonHeld says whether it is a drag
    leftButtonUp,
    rightButtonDown,
    captureLost,
    repaintTimer,
};

struct PanelEvent {
    PanelInput input;
    int x, y; // window coordinates, for the button and move inputs
    bool leftButtonHeld;
};

// Calls the handler the input is for, with the event's window coordinates
// on the panel drawn at `scale`; moves without the left button and unknown
// inputs do nothing.
void handlePanelEvent(PluginInstance& instance, PanelWindow& window, const PanelEvent& event,
                      PanelScale scale = kUnitScale);

} // namespace t815
