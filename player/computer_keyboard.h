// The computer keyboard as a musical keyboard, laid out as the "musical
// typing" of common soft synths: the home row A S D F G H J K L ; ' plays
// the white keys C D E F G A B C D E F, the row above W E T Y U O P the black
// keys C# D# F# G# A# C# D#. Z shifts both rows an octave down, X an octave
// up, as far as the panel's keyboard reaches. Keys are named by the
// character they carry unshifted, lower case, so that each window system
// maps its own key codes onto these names.
#pragma once

#include <cstdint>

namespace t815 {

constexpr std::int32_t kHomeRowBaseKey = 60;    // A at octave shift 0: middle C
constexpr std::int32_t kLowestOctaveShift = -2; // A plays the panel's lowest key, 36
constexpr std::int32_t kHighestOctaveShift = 1; // A plays 72; keys above 83 play nothing
constexpr char kOctaveDownKey = 'z';
constexpr char kOctaveUpKey = 'x';

struct ComputerKeyboard {
    std::int32_t octaveShift = 0;
    // The MIDI key each character key sounds while it is down (-1: up), so
    // that a release ends the note its press began whatever the octave is by
    // then.
    std::int32_t soundingKey[128];
    ComputerKeyboard() {
        for (std::int32_t& key : soundingKey)
            key = -1;
    }
};

// What a key press or release asks of the instrument.
struct KeyAction {
    enum Kind { none, press, release } kind;
    std::int32_t key; // MIDI key 0..127 for press and release
};

// The MIDI key a character plays at the keyboard's octave, or -1 for a
// character that plays none (also where the key lies beyond the panel's
// keyboard).
std::int32_t keyForCharacter(const ComputerKeyboard& keyboard, char character);

// A character key went down: a press for a note key that is not already
// down (auto-repeat presses nothing), an octave shift for Z and X, none for
// anything else.
KeyAction computerKeyDown(ComputerKeyboard& keyboard, char character);

// A character key went up: the release of the note its press began, if any.
KeyAction computerKeyUp(ComputerKeyboard& keyboard, char character);

// The window lost the keyboard: every sounding key is released through
// release(key), so that no note hangs.
template <typename Release>
void releaseAllComputerKeys(ComputerKeyboard& keyboard, Release release) {
    for (std::int32_t& key : keyboard.soundingKey) {
        if (key >= 0) release(key);
        key = -1;
    }
}

} // namespace t815
