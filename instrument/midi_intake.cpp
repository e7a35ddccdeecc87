// MIDI intake. The instrument is omni and ignores timing within the block:
// every event acts when it is delivered, in list order. Notes go to the key
// slots, controller 1 moves the modulation wheel and with it the cutoff
// coefficient, pitch bend sets the bend ratio (+-2 semitones), and program
// changes 0..31 run program select and tell the host.
//
// A list becomes one run of changes, applied whole before the next block
// (hand_off.h). Program changes are announced to the host after the run is
// queued.
#include "midi_intake.h"

#include "bend_ratio.h"
#include "hand_off.h"
#include "plugin_instance.h"
#include "selected_program.h"

namespace t815 {

namespace {

enum MidiStatus : int {
    kNoteOff = 0x80,
    kNoteOn = 0x90,
    kControlChange = 0xB0,
    kProgramChange = 0xC0,
    kPitchBend = 0xE0,
};

constexpr int kModulationWheel = 1;

// Lists up to this long are built on the stack and queued in one step.
constexpr std::uint32_t kChangesAtOnce = 512;

// The change a MIDI message makes; false for none.
bool changeForMessage(const MidiMessage& message, ShellChange& change) {
    const int status = message.bytes[0] & 0xF0; // any channel
    const int d1 = message.bytes[1] & 0x7F;
    const int d2 = message.bytes[2] & 0x7F;
    switch (status) {
    case kNoteOn: // velocity 0 releases
        change = {d2 > 0 ? ChangeKind::noteOn : ChangeKind::noteOff, d1, 0.0f};
        return true;
    case kNoteOff:
        change = {ChangeKind::noteOff, d1, 0.0f};
        return true;
    case kControlChange:
        if (d1 != kModulationWheel) return false;
        change = {ChangeKind::modWheel, 0, static_cast<float>(d2 / 127.0)};
        return true;
    case kPitchBend:
        change = {ChangeKind::pitchBend, 0, bendRatioFor(d2 * 128 + d1)};
        return true;
    case kProgramChange:
        if (!isProgramIndex(d1)) return false; // 32..127 ignored
        change = {ChangeKind::programSelect, d1, 0.0f};
        return true;
    default: // aftertouch, channel pressure, system messages, data bytes
        return false;
    }
}

bool readMessageArray(const void* list, std::int32_t i, MidiMessage& message) {
    message = static_cast<const MidiMessage*>(list)[i];
    return true;
}

} // namespace

void receiveMidiList(PluginInstance& instance, const void* list, std::int32_t count,
                     MidiListReader read) {
    if (!list || count <= 0) return;
    ShellChange changes[kChangesAtOnce];
    std::uint32_t pending = 0;
    std::int32_t programChanges = 0;
    bool holding = false;
    for (std::int32_t i = 0; i < count; ++i) {
        MidiMessage message;
        if (!read(list, i, message) || !changeForMessage(message, changes[pending])) continue;
        programChanges += changes[pending].kind == ChangeKind::programSelect;
        if (++pending < kChangesAtOnce) continue;
        // A long list: hold the core so that it still arrives whole.
        if (!holding) holdCore(instance);
        holding = true;
        appendWhileHolding(instance, changes, pending);
        pending = 0;
    }
    if (holding) {
        if (pending) appendWhileHolding(instance, changes, pending);
        releaseCore(instance);
    } else if (pending) {
        submitChanges(instance, changes, pending);
    }
    for (std::int32_t i = 0; i < programChanges; ++i)
        announceProgramSelect(instance, SelectSource::instrument);
}

void receiveMidi(PluginInstance& instance, const MidiMessage* messages, std::int32_t count) {
    receiveMidiList(instance, messages, count, readMessageArray);
}

} // namespace t815
