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
#include "program_selection.h"

#include <cstddef>

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

// The change a MIDI event makes; false for none.
bool changeFor(const VstEvent* event, ShellChange& change) {
    if (!event || event->type != kVstMidiType) return false;
    const char* bytes = reinterpret_cast<const VstMidiEvent*>(event)->midiData;
    const int status = static_cast<unsigned char>(bytes[0]) & 0xF0; // any channel
    const int d1 = static_cast<unsigned char>(bytes[1]) & 0x7F;
    const int d2 = static_cast<unsigned char>(bytes[2]) & 0x7F;
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

} // namespace

void processMidiEvents(PluginInstance& instance, const VstEvents* events) {
    if (!events || events->numEvents <= 0) return;
    // The host's array is numEvents long, not the two elements VstEvents
    // declares: it is read through a pointer to where it starts.
    const auto* list = reinterpret_cast<const VstEvent* const*>(
        reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
    const std::int32_t count = events->numEvents;

    ShellChange changes[kChangesAtOnce];
    std::uint32_t pending = 0;
    std::int32_t programChanges = 0;
    bool holding = false;
    for (std::int32_t i = 0; i < count; ++i) {
        if (!changeFor(list[i], changes[pending])) continue;
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
    } else {
        submitChanges(instance, changes, pending);
    }
    for (std::int32_t i = 0; i < programChanges; ++i)
        announceProgramChange(instance, true);
}

} // namespace t815
