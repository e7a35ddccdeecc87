// The demo as a score: notes with start and length in beats, and the
// program changes and controller moves between them, expanded into timed
// MIDI events at 100 beats per minute on channel 1.
#include "demo_piece.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr double kSecondsPerBeat = 0.6; // 100 beats per minute
constexpr double kEndBeat = 50.0;       // two beats after the last release

struct DemoNote {
    double beat;
    double beats; // length
    std::uint8_t key;
};

// Program indexes as the host counts them.
enum DemoProgram : std::uint8_t {
    kElectricPiano = 0, // "00 El. Piano"
    kOrgan = 6,         // "06 Organ"
    kBrass = 14,        // "16 Brass"
    kBluesSynth = 23,   // "27 Blues Synth"
    kSynthBass = 31,    // "37 Synth Bass"
};

struct DemoProgramChange {
    double beat;
    std::uint8_t program;
};

// Key numbers: 60 is middle C.
// clang-format off
const DemoNote kNotes[] = {
    // Bars 1-2, electric piano: Am and F, bass under repeated three-note chords.
    {0, 3.9, 45}, {0, 1.9, 57}, {0, 1.9, 60}, {0, 1.9, 64},
    {2, 1.9, 57}, {2, 1.9, 60}, {2, 1.9, 64},
    {4, 3.9, 41}, {4, 1.9, 57}, {4, 1.9, 60}, {4, 1.9, 65},
    {6, 1.9, 57}, {6, 1.9, 60}, {6, 1.9, 65},
    // Bars 3-4, organ: held C and G chords under a melody (four voices).
    {8, 3.9, 52}, {8, 3.9, 55}, {8, 3.9, 60},
    {8, 0.9, 64}, {9, 0.9, 67}, {10, 1.9, 72},
    {12, 3.9, 50}, {12, 3.9, 55}, {12, 3.9, 59},
    {12, 1.9, 74}, {14, 0.9, 71}, {15, 0.9, 67},
    // Bars 5-6, brass: five-note stabs on four voices, so one is stolen.
    {16, 1.5, 45}, {16, 1.5, 52}, {16, 1.5, 57}, {16, 1.5, 60}, {16, 1.5, 64},
    {18, 1.5, 45}, {18, 1.5, 52}, {18, 1.5, 57}, {18, 1.5, 60}, {18, 1.5, 64},
    {20, 1.5, 41}, {20, 1.5, 48}, {20, 1.5, 57}, {20, 1.5, 60}, {20, 1.5, 65},
    {22, 1.9, 43}, {22, 1.9, 50}, {22, 1.9, 55}, {22, 1.9, 59}, {22, 1.9, 62},
    // Bars 7-8, blues synth solo: the long A is bent up a whole tone and back.
    {24, 0.45, 64}, {24.5, 0.45, 67}, {25, 0.45, 69}, {25.5, 0.45, 70}, {26, 1.9, 69},
    {28, 0.9, 67}, {29, 0.9, 64}, {30, 0.45, 62}, {30.5, 1.4, 60},
    // Bars 9-10, synth bass: an eighth-note riff while the wheel closes the filter.
    {32, 0.4, 33}, {32.5, 0.4, 33}, {33, 0.4, 45}, {33.5, 0.4, 33},
    {34, 0.4, 36}, {34.5, 0.4, 33}, {35, 0.4, 31}, {35.5, 0.4, 33},
    {36, 0.4, 29}, {36.5, 0.4, 29}, {37, 0.4, 41}, {37.5, 0.4, 29},
    {38, 0.4, 31}, {38.5, 0.4, 31}, {39, 0.4, 43}, {39.5, 0.4, 31},
    // Bars 11-12, electric piano again: F, G, and a five-note Am to close.
    {40, 1.9, 41}, {40, 1.9, 57}, {40, 1.9, 60}, {40, 1.9, 65},
    {42, 1.9, 43}, {42, 1.9, 55}, {42, 1.9, 59}, {42, 1.9, 62},
    {44, 4.0, 45}, {44, 4.0, 57}, {44, 4.0, 60}, {44, 4.0, 64}, {44, 4.0, 69},
};
// clang-format on

const DemoProgramChange kProgramChanges[] = {
    {0, kElectricPiano}, {8, kOrgan},      {16, kBrass},
    {24, kBluesSynth},   {32, kSynthBass}, {40, kElectricPiano},
};

// Events at one instant go out in this order: releases first so a key can be
// struck again, then the program, then controllers, then new notes.
enum EventRank { kRankNoteOff, kRankProgram, kRankController, kRankNoteOn };

struct RankedEvent {
    TimedMidiEvent event;
    int rank;
};

void add(std::vector<RankedEvent>& events, double beat, int rank, std::uint8_t status,
         std::uint8_t data1, std::uint8_t data2, std::uint8_t size = 3) {
    events.push_back({{beat * kSecondsPerBeat, {status, data1, data2}, size}, rank});
}

void addPitchBend(std::vector<RankedEvent>& events, double beat, int value) {
    add(events, beat, kRankController, 0xE0, std::uint8_t(value & 0x7F), std::uint8_t(value >> 7));
}

void addModWheel(std::vector<RankedEvent>& events, double beat, int value) {
    add(events, beat, kRankController, 0xB0, 1, std::uint8_t(value));
}

} // namespace

MidiSequence demoPiece() {
    std::vector<RankedEvent> events;
    for (const DemoNote& note : kNotes) {
        add(events, note.beat, kRankNoteOn, 0x90, note.key, 100);
        add(events, note.beat + note.beats, kRankNoteOff, 0x80, note.key, 64);
    }
    for (const DemoProgramChange& change : kProgramChanges)
        add(events, change.beat, kRankProgram, 0xC0, change.program, 0, 2);

    // Bend the held A (beat 26) up to full (a whole tone) over half a beat,
    // hold it, and let it back down before the note ends.
    constexpr int kBendCentre = 8192, kBendTop = 16383, kBendSteps = 8;
    for (int step = 1; step <= kBendSteps; ++step) {
        const int rise = kBendCentre + (kBendTop - kBendCentre) * step / kBendSteps;
        const int fall = kBendTop - (kBendTop - kBendCentre) * step / kBendSteps;
        addPitchBend(events, 26.5 + 0.5 * step / kBendSteps, rise);
        addPitchBend(events, 27.4 + 0.4 * step / kBendSteps, fall);
    }

    // Sweep the wheel up over the first bar of the bass riff and back down
    // over the second: the filter closes and opens again.
    constexpr int kWheelSteps = 16;
    for (int step = 0; step <= kWheelSteps; ++step) {
        addModWheel(events, 32.0 + 4.0 * step / kWheelSteps, 127 * step / kWheelSteps);
        if (step > 0)
            addModWheel(events, 36.0 + 4.0 * step / kWheelSteps, 127 - 127 * step / kWheelSteps);
    }

    std::stable_sort(events.begin(), events.end(), [](const RankedEvent& a, const RankedEvent& b) {
        if (a.event.seconds != b.event.seconds) return a.event.seconds < b.event.seconds;
        return a.rank < b.rank;
    });
    MidiSequence sequence;
    sequence.events.reserve(events.size());
    for (const RankedEvent& ranked : events)
        sequence.events.push_back(ranked.event);
    sequence.endSeconds = kEndBeat * kSecondsPerBeat;
    return sequence;
}
