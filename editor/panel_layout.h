// The panel's geometry and shared colours, named once: the painter draws
// the controls where these say, and the mouse handlers hit-test the same
// places. Positions are panel pixels (origin top left, y down); rectangles
// exclude their right and bottom edges, hit areas are inclusive unless
// their name says otherwise.
#pragma once

#include "draw_surface.h"

#include <cstdint>

namespace t815 {

// Colours used by more than one element.
namespace panel_colour {
constexpr Rgb caption{235, 240, 245};    // light captions, knob scale and pointer
constexpr Rgb blue{0, 158, 228};         // section headers, list outline, switch captions
constexpr Rgb red{225, 50, 40};          // legends, rules, reset button face
constexpr Rgb headerText{10, 15, 20};    // dark text on the blue strips
constexpr Rgb listHighlight{0, 85, 135}; // the selected program's cell
constexpr Rgb listText{255, 230, 100};   // the selected program's name
constexpr Rgb listCell{22, 25, 29};      // other cells; also the About box
constexpr Rgb black{0, 0, 0};            // key outlines
} // namespace panel_colour

// The four knobs share one row; each answers within a circle around its centre.
constexpr int kKnobCentreY = 82;
constexpr int kKnobHitRadius = 20;
constexpr int kTuningKnobX = 108;
constexpr int kCutoffKnobX = 231;
constexpr int kResonanceKnobX = 298;
constexpr int kVolumeKnobX = 376;

// What the dragged control is (PluginInstance::dragControl).
enum DragControl : std::int32_t {
    kDragNone = 0,
    kDragTuning = 1,
    kDragCutoff = 2,
    kDragResonance = 3,
    kDragVolume = 4,
    kDragWheel = 5,
};

// Knob centres in dragControl order (kDragTuning first).
constexpr int kKnobCentresX[4] = {kTuningKnobX, kCutoffKnobX, kResonanceKnobX, kVolumeKnobX};

// A knob dragged up by this many pixels turns over its whole range.
constexpr int kKnobDragSpan = 100;

// The tuning knob's mapping: pitchOffset = trunc(50 v) - 25 (the other
// knobs map as their parameters do, parameters.h).
constexpr int kTuningSteps = 50;
constexpr int kTuningCentre = 25;

// Push buttons (also the two latching switches): a 22 x 22 frame on one row.
constexpr int kButtonSize = 22;
constexpr int kButtonTop = 154;
constexpr int kButtonHitTop = 150; // program buttons answer a little above and below
constexpr int kButtonHitBottom = 178;
constexpr int kGroupButtonsLeft = 38; // group button i at 38 + 24 i
constexpr int kTimbreButtonsLeft = 206;
constexpr int kButtonPitch = 24;
constexpr int kGroupCount = 4;
constexpr int kTimbreCount = 8;

// The two latching switches answer from their lamps down.
constexpr int kFilterSwitchLeft = 402;
constexpr int kUnisonSwitchLeft = 430;
constexpr int kSwitchHitTop = 140;

// The LED digits' cells.
constexpr int kDigitTop = 147;
constexpr int kTensDigitLeft = 146;
constexpr int kUnitsDigitLeft = 171;

// The reset button's frame, which is also its hit area (inclusive).
constexpr PanelRect kResetFrame{40, 66, 68, 94};

// The logo, which opens the About overlay (hit area inclusive).
constexpr PanelRect kLogoHitArea{468, 34, 795, 86};

// The printed program list: five columns of eight cells, each holding a
// program index or -1 for an empty cell, column by column.
constexpr int kListLeft = 468;
constexpr int kListTop = 92;
constexpr int kListCellWidth = 70;
constexpr int kListCellHeight = 13;
constexpr int kListColumns = 5;
constexpr int kListRows = 8;
constexpr std::int8_t kListLayout[kListColumns][kListRows] = {
    {0, 1, 2, 3, -1, 4, 5, -1},       {6, 7, 8, 9, 10, 11, 12, 13},
    {14, 15, -1, 16, 17, 18, 19, -1}, {20, 21, 22, 23, -1, 24, 25, 26},
    {27, 28, 29, -1, 30, 31, -1, -1},
};

// The modulation wheel: its well is the hit area (inclusive); the pointer's
// y maps onto 0..1 over 72 pixels, absolutely.
constexpr PanelRect kWheelWell{53, 258, 111, 368};
constexpr int kWheelZeroY = 348;       // pointer at or below: 0
constexpr int kWheelTravel = 72;       // pointer at 348 - 72 or above: 1
constexpr int kWheelMarkerRestY = 345; // the marker's top at 0
constexpr int kWheelMarkerHeight = 6;

// The keyboard: 48 keys from 36, white keys 26 pixels apart from x 152,
// black keys 16 wide and 18 pixels right of their lower white neighbour.
constexpr int kFirstKey = 36;
constexpr int kKeyCount = 48;
constexpr int kLastKey = kFirstKey + kKeyCount - 1;
constexpr int kKeyboardLeft = 152;
constexpr int kKeyboardTop = 222;
constexpr int kKeyboardBottom = 414; // white keys end here (excluded when drawn)
constexpr int kBlackKeyBottom = 342; // black keys end here
constexpr int kWhiteKeyPitch = 26;
constexpr int kBlackKeyOffset = 18;
constexpr int kBlackKeyWidth = 16;

constexpr bool isBlackKey(int key) {
    const int n = key % 12;
    return n == 1 || n == 3 || n == 6 || n == 8 || n == 10;
}

// White keys from key 36 up to key (excluded): for a black key, the index
// of its lower white neighbour plus one.
constexpr int whiteKeysBelow(int key) {
    int count = 0;
    for (int k = kFirstKey; k < key; ++k)
        if (!isBlackKey(k)) ++count;
    return count;
}

// The left edge of a key as drawn: white keys at 152 + 26 w, black keys at
// 170 + 26 w with w their lower white neighbour.
constexpr int keyLeft(int key) {
    return isBlackKey(key)
               ? kKeyboardLeft + kWhiteKeyPitch * (whiteKeysBelow(key) - 1) + kBlackKeyOffset
               : kKeyboardLeft + kWhiteKeyPitch * whiteKeysBelow(key);
}

} // namespace t815
