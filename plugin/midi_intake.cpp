// MIDI intake. The instrument is omni and ignores timing within the block:
// every event acts when it is delivered, in list order. Notes go to the key
// slots, controller 1 moves the modulation wheel and with it the cutoff
// coefficient, pitch bend sets the bend ratio (+-2 semitones), and program
// changes 0..31 run program select and tell the host.
//
// The whole list is applied under coreLock, so the next block starts with
// all of it in place. The lock is released only around the announcement of
// a program change, which calls the host.
#include "midi_intake.h"

#include "bend_ratio.h"
#include "cutoff.h"
#include "key_slots.h"
#include "plugin_instance.h"
#include "program_selection.h"

#include <mutex>

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

} // namespace

void processMidiEvents(PluginInstance& instance, const VstEvents* events) {
    if (!events || events->numEvents <= 0) return;
    SynthCore& core = instance.core;
    std::unique_lock<std::mutex> lock(instance.coreLock);
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const char* bytes = reinterpret_cast<const VstMidiEvent*>(event)->midiData;
        const int status = static_cast<unsigned char>(bytes[0]) & 0xF0; // any channel
        const int d1 = static_cast<unsigned char>(bytes[1]) & 0x7F;
        const int d2 = static_cast<unsigned char>(bytes[2]) & 0x7F;

        switch (status) {
        case kNoteOn:
            if (d2 > 0)
                noteOn(core, d1);
            else
                noteOff(core, d1); // velocity 0 releases
            break;
        case kNoteOff:
            noteOff(core, d1);
            break;
        case kControlChange:
            if (d1 != kModulationWheel) break;
            instance.modWheel = static_cast<float>(d2 / 127.0);
            updateCutoffCoefficient(instance);
            break;
        case kPitchBend:
            core.bendRatio = bendRatioFor(d2 * 128 + d1);
            break;
        case kProgramChange:
            if (!changeProgramUnderLock(instance, d1)) break; // 32..127 ignored
            lock.unlock();
            announceProgramChange(instance, true);
            lock.lock();
            break;
        default: // aftertouch, channel pressure, system messages, data bytes
            break;
        }
    }
}

} // namespace t815
