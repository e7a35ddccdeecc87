// The key assigner. A key occupies at most one slot that is not free; a new
// key takes a free slot, else the highest released key, else the highest
// held key (the lowest held key is never stolen). Every accepted note-on
// restarts the slot's amplitude envelope and the shared filter envelope; the
// filter envelope is released only once no key is held.
#include "key_slots.h"

#include "envelope_builders.h"
#include "program_select.h"

#include <cstring>

namespace t815 {

namespace {

constexpr int kNoSlot = -1;
constexpr std::uint32_t kOldestAge = 0xFFFFFFFFu;

int chooseSlot(const SynthCore& core, std::int32_t key) {
    const VoiceSlot* slots = core.slots;

    for (int k = 0; k < kSlotCount; ++k) // retrigger
        if (slots[k].key == key && slots[k].state != kSlotFree) return k;

    for (int k = 0; k < kSlotCount; ++k) // free
        if (slots[k].state == kSlotFree) return k;

    int chosen = kNoSlot;
    for (int k = 0; k < kSlotCount; ++k) // highest released key
        if (slots[k].state == kSlotReleased &&
            (chosen == kNoSlot || slots[k].key > slots[chosen].key))
            chosen = k;
    if (chosen != kNoSlot) return chosen;

    // All held: the highest key above the lowest, the older note on a tie.
    std::int32_t lowest = 999;
    for (const VoiceSlot& slot : core.slots)
        if (slot.key < lowest) lowest = slot.key;
    std::int32_t bestKey = -1;
    std::uint32_t bestAge = kOldestAge;
    for (int k = 0; k < kSlotCount; ++k) {
        const VoiceSlot& slot = slots[k];
        if (slot.key <= lowest) continue;
        if (slot.key > bestKey || (slot.key == bestKey && slot.age < bestAge)) {
            chosen = k;
            bestKey = slot.key;
            bestAge = slot.age;
        }
    }
    if (chosen != kNoSlot) return chosen;

    // Every held slot carries the same key: the oldest note.
    bestAge = kOldestAge;
    for (int k = 0; k < kSlotCount; ++k)
        if (slots[k].age < bestAge) {
            chosen = k;
            bestAge = slots[k].age;
        }
    return chosen;
}

} // namespace

bool anyKeyHeld(const SynthCore& core) {
    for (const VoiceSlot& slot : core.slots)
        if (slot.state == kSlotHeld) return true;
    return false;
}

void noteOn(SynthCore& core, std::int32_t key) {
    if (!core.romReady || key > kHighestKey) return;
    ++core.noteCounter;

    const int k = chooseSlot(core, key);
    if (k == kNoSlot) return;

    core.slots[k] = {key, kSlotHeld, core.noteCounter};
    restartStream(core.ampStreams[k], core.ampTemplate);
    restartStream(core.filterStream, core.filterTemplate);
    updatePitches(core);
}

void noteOff(SynthCore& core, std::int32_t key) {
    if (!core.romReady) return;

    for (int k = 0; k < kSlotCount; ++k) {
        VoiceSlot& slot = core.slots[k];
        if (slot.key != key || slot.state != kSlotHeld) continue;
        slot.state = kSlotReleased;
        startAmpRelease(core, k, levelAtReadPos(core.ampStreams[k]));
    }

    if (!anyKeyHeld(core)) startFilterRelease(core, levelAtReadPos(core.filterStream));
}

void resetVoices(SynthCore& core) {
    std::memset(core.slots, 0, sizeof core.slots);
    std::memset(core.oscPitch, 0, sizeof core.oscPitch);
    core.filterState[0] = core.filterState[1] = 0.0f;
}

} // namespace t815
