// The musical-typing layout's two rows and the octave shift.
#include "computer_keyboard.h"

#include "panel_layout.h"

namespace t815 {

namespace {

struct NoteKey {
    char character;
    std::int32_t semitone; // above the home row's C
};

constexpr NoteKey kNoteKeys[] = {
    {'a', 0},  {'w', 1},  {'s', 2},  {'e', 3},  {'d', 4},  {'f', 5},
    {'t', 6},  {'g', 7},  {'y', 8},  {'h', 9},  {'u', 10}, {'j', 11},
    {'k', 12}, {'o', 13}, {'l', 14}, {'p', 15}, {';', 16}, {'\'', 17},
};

bool isCharacterKey(char character) {
    return static_cast<unsigned char>(character) < 128 && character != '\0';
}

} // namespace

std::int32_t keyForCharacter(const ComputerKeyboard& keyboard, char character) {
    for (const NoteKey& note : kNoteKeys) {
        if (note.character != character) continue;
        const std::int32_t key = kHomeRowBaseKey + 12 * keyboard.octaveShift + note.semitone;
        return key >= kFirstKey && key <= kLastKey ? key : -1;
    }
    return -1;
}

KeyAction computerKeyDown(ComputerKeyboard& keyboard, char character) {
    if (character == kOctaveDownKey || character == kOctaveUpKey) {
        const std::int32_t step = character == kOctaveUpKey ? 1 : -1;
        const std::int32_t shifted = keyboard.octaveShift + step;
        if (shifted >= kLowestOctaveShift && shifted <= kHighestOctaveShift)
            keyboard.octaveShift = shifted;
        return {KeyAction::none, 0};
    }
    const std::int32_t key = keyForCharacter(keyboard, character);
    if (key < 0) return {KeyAction::none, 0};
    std::int32_t& sounding = keyboard.soundingKey[static_cast<unsigned char>(character)];
    if (sounding >= 0) return {KeyAction::none, 0}; // auto-repeat
    sounding = key;
    return {KeyAction::press, key};
}

KeyAction computerKeyUp(ComputerKeyboard& keyboard, char character) {
    if (!isCharacterKey(character)) return {KeyAction::none, 0};
    std::int32_t& sounding = keyboard.soundingKey[static_cast<unsigned char>(character)];
    if (sounding < 0) return {KeyAction::none, 0};
    const std::int32_t key = sounding;
    sounding = -1;
    return {KeyAction::release, key};
}

} // namespace t815
