// Points inside filled areas of the panel and the exact colour each must
// have, shared by every test that reads back a real rendering of the panel
// (GDI under Wine, Cairo on Linux), so that both agree at every point.
// kPanelCheckPoints hold for an instance as constructed (filter and unison
// on, wheel at 0) with program index
// 13 selected; kPressedKeyCheckPoints while the lowest white key (36) is held
// with the mouse; kAboutCheckPoints while the About overlay is shown.
#pragma once

#include <cstdint>

namespace t815::test {

struct PanelCheckPoint {
    const char* what;
    int x, y;
    std::uint8_t red, green, blue;
};

inline constexpr PanelCheckPoint kPanelCheckPoints[] = {
    {"background", 5, 200, 18, 20, 23},
    {"upper panel", 450, 205, 28, 30, 34},
    {"divider", 450, 216, 12, 13, 15},
    {"wheel panel", 30, 400, 24, 26, 30},
    {"power lamp", 822, 19, 255, 45, 30},
    {"reset button face", 54, 80, 225, 50, 40},
    {"tuning header", 82, 46, 0, 158, 228},
    {"tuning body", 85, 100, 40, 43, 48},
    {"tuning knob cap", 100, 88, 42, 45, 50},
    {"tuning red strip", 81, 113, 225, 50, 40},
    {"filter lamp (filter on)", 172, 82, 255, 45, 30},
    {"group button 0 face (up)", 50, 166, 38, 41, 46},
    {"group button 1 face (down)", 72, 167, 22, 24, 27},
    {"LED window", 195, 160, 24, 4, 6},
    {"LED digit 1, upper right segment (lit)", 162, 154, 255, 42, 18},
    {"LED digit 1, middle segment (dark)", 155, 160, 48, 10, 12},
    {"LED digit 5, middle segment (lit)", 180, 160, 255, 42, 18},
    {"timbre button 0 face (up)", 216, 165, 38, 41, 46},
    {"timbre button 5 face (down)", 337, 167, 22, 24, 27},
    {"filter switch face (down)", 413, 167, 0, 110, 195},
    {"unison switch face (down)", 441, 167, 0, 110, 195},
    {"list cell, empty", 500, 150, 22, 25, 29},
    {"list cell, current (15)", 604, 185, 0, 85, 135},
    {"wheel well", 60, 300, 12, 13, 15},
    {"wheel slot", 82, 300, 35, 38, 42},
    {"wheel marker at 0", 82, 348, 235, 240, 245},
    {"white key 36 body", 160, 380, 244, 244, 240},
    {"white key 36 front edge", 160, 410, 195, 195, 190},
    {"black key 37 face", 178, 300, 38, 40, 45},
    {"black key 37 body", 171, 338, 18, 19, 22},
};

inline constexpr PanelCheckPoint kPressedKeyCheckPoints[] = {
    {"white key 36 body (pressed)", 160, 380, 210, 225, 240},
    {"white key 36 front edge (pressed)", 160, 412, 195, 195, 190},
    {"white key 36 above its pressed edge", 160, 408, 210, 225, 240},
};

inline constexpr PanelCheckPoint kAboutCheckPoints[] = {
    {"About shadow", 733, 200, 8, 9, 11},
    {"About title bar", 195, 60, 0, 158, 228},
    {"About rule", 400, 86, 225, 50, 40},
    {"About box", 196, 250, 22, 25, 29},
};

} // namespace t815::test
