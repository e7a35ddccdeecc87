// The Standard MIDI File reader: timing of format 0 and 1 files, running
// status, tempo maps and SMPTE time, and clean refusal of malformed files.
#include "midi_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

Bytes chunk(const char* tag, const Bytes& body) {
    return concat({Bytes(tag, tag + 4), be32(std::uint32_t(body.size())), body});
}

Bytes header(int format, int tracks, int division) {
    return chunk("MThd", {0, std::uint8_t(format), std::uint8_t(tracks >> 8), std::uint8_t(tracks),
                          std::uint8_t(division >> 8), std::uint8_t(division)});
}

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

Bytes track(const Bytes& events) {
    return chunk("MTrk", concat({events, kEndOfTrack}));
}

// Tempo meta event after `delta` ticks (delta below 128).
Bytes tempo(std::uint8_t delta, std::uint32_t micros) {
    return {delta,
            0xFF,
            0x51,
            0x03,
            std::uint8_t(micros >> 16),
            std::uint8_t(micros >> 8),
            std::uint8_t(micros)};
}

MidiSequence parseOk(const Bytes& file) {
    MidiSequence sequence;
    std::string error;
    EXPECT_TRUE(parseMidiFile(file.data(), file.size(), sequence, error)) << error;
    return sequence;
}

std::string parseError(const Bytes& file) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(parseMidiFile(file.data(), file.size(), sequence, error));
    return error;
}

TEST(MidiFile, FormatZeroWithRunningStatusAndDefaultTempo) {
    // 96 ticks per quarter at the default 120 bpm: one tick = 1/192 s.
    const Bytes file =
        concat({header(0, 1, 96), track({0x00, 0x90, 60, 100, // note on
                                         0x60, 64, 100, // running status: note on, 96 ticks later
                                         0x60, 60, 0,   // running status, velocity 0
                                         0x00, 0xC1, 5, // program change: one data byte
                                         0x81, 0x40, 0xE0, 0, 64})}); // 192 ticks later: pitch bend
    const MidiSequence sequence = parseOk(file);
    ASSERT_EQ(sequence.events.size(), 5u);
    EXPECT_EQ(sequence.events[0].seconds, 0.0);
    EXPECT_EQ(sequence.events[1].seconds, 0.5);
    EXPECT_EQ(sequence.events[1].bytes[0], 0x90);
    EXPECT_EQ(sequence.events[1].bytes[1], 64);
    EXPECT_EQ(sequence.events[2].bytes[2], 0);
    EXPECT_EQ(sequence.events[3].size, 2);
    EXPECT_EQ(sequence.events[3].bytes[0], 0xC1);
    EXPECT_EQ(sequence.events[3].bytes[1], 5);
    EXPECT_EQ(sequence.events[4].seconds, 2.0);
    EXPECT_EQ(sequence.events[4].size, 3);
    EXPECT_EQ(sequence.endSeconds, 2.0);
}

TEST(MidiFile, FormatOneMergesTracksThroughTheTempoMap) {
    // Track 1 holds the tempo map: 120 bpm, then 60 bpm from tick 96 on.
    // Track 2 plays at ticks 48, 96 and 192; track 3 at tick 96.
    const Bytes file = concat(
        {header(1, 3, 96), track(concat({tempo(0, 500000), tempo(96, 1000000)})),
         track({48, 0x90, 60, 90, 48, 0x80, 60, 0, 96, 0x90, 62, 90}), track({96, 0x91, 70, 80})});
    const MidiSequence sequence = parseOk(file);
    ASSERT_EQ(sequence.events.size(), 4u);
    EXPECT_DOUBLE_EQ(sequence.events[0].seconds, 0.25);
    EXPECT_DOUBLE_EQ(sequence.events[1].seconds, 0.5);
    EXPECT_EQ(sequence.events[1].bytes[0], 0x80); // same tick: track 2 before track 3
    EXPECT_EQ(sequence.events[2].bytes[0], 0x91);
    EXPECT_DOUBLE_EQ(sequence.events[2].seconds, 0.5);
    EXPECT_DOUBLE_EQ(sequence.events[3].seconds, 1.5); // 96 ticks at one second per quarter
    EXPECT_DOUBLE_EQ(sequence.endSeconds, 1.5);
}

TEST(MidiFile, TempoChangeInAnyTrackAndSameTickOverrides) {
    const Bytes file = concat({header(1, 2, 100), track({100, 0x90, 60, 1}),
                               track(concat({tempo(0, 250000), tempo(0, 2000000)}))});
    // The later of two changes at tick 0 wins: 100 ticks at 2 s per quarter.
    EXPECT_DOUBLE_EQ(parseOk(file).events[0].seconds, 2.0);
}

TEST(MidiFile, SkipsMetaSysexAndForeignChunksAndKeepsRunningStatus) {
    const Bytes file =
        concat({header(0, 1, 96), chunk("XFIH", {1, 2, 3}),
                track({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x03, 0x02, 'H', 'i', // track name
                       0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7,                    // system exclusive
                       0x10, 62, 100})}); // running status survives
    const MidiSequence sequence = parseOk(file);
    ASSERT_EQ(sequence.events.size(), 2u);
    EXPECT_EQ(sequence.events[1].bytes[0], 0x90);
    EXPECT_EQ(sequence.events[1].bytes[1], 62);
}

TEST(MidiFile, SmpteDivisionAndTrackEndDefineTheLength) {
    // 25 frames per second, 40 ticks per frame: one tick per millisecond.
    const Bytes body = {0x87, 0x68, 0x90, 60,   100,
                        0x83, 0x74, 0xFF, 0x2F, 0x00}; // tick 1000, end at 1500
    const Bytes file = concat({header(0, 1, (0xE7 << 8) | 40), chunk("MTrk", body)});
    const MidiSequence sequence = parseOk(file);
    ASSERT_EQ(sequence.events.size(), 1u);
    EXPECT_DOUBLE_EQ(sequence.events[0].seconds, 1.0);
    EXPECT_DOUBLE_EQ(sequence.endSeconds, 1.5);
    // 29.97 drop-frame: 30000/1001 frames per second.
    const Bytes dropFrame = concat({header(0, 1, (0xE3 << 8) | 1), track({30, 0x90, 60, 1})});
    EXPECT_DOUBLE_EQ(parseOk(dropFrame).events[0].seconds, 30 * 1001.0 / 30000.0);
}

TEST(MidiFile, TrackWithoutEndOfTrackIsAccepted) {
    const Bytes file =
        concat({header(0, 1, 96), chunk("MTrk", {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0})});
    EXPECT_EQ(parseOk(file).events.size(), 2u);
}

struct MalformedCase {
    const char* name;
    Bytes file;
    const char* reason; // expected in the message
};

TEST(MidiFile, MalformedFilesAreRefusedWithTheirReason) {
    const Bytes good = track({0x00, 0x90, 60, 100});
    const MalformedCase cases[] = {
        {"empty", {}, "no MThd header"},
        {"not midi", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, "no MThd header"},
        {"short header chunk", concat({chunk("MThd", {0, 0, 0, 1}), good}),
         "header chunk of 4 bytes"},
        {"truncated header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, "truncated header"},
        {"unknown format", concat({header(3, 1, 96), good}), "unknown format 3"},
        {"format 0 with two tracks", concat({header(0, 2, 96), good, good}),
         "format 0 with 2 tracks"},
        {"no tracks", header(1, 0, 96), "no tracks"},
        {"absurd track count", concat({header(1, 65535, 96), good}), "announces 65535 tracks"},
        {"missing track", concat({header(1, 2, 96), good, chunk("XXXX", {})}),
         "ends after 1 of 2 tracks"},
        {"chunk length past end",
         concat({header(0, 1, 96), Bytes{'M', 'T', 'r', 'k', 0x7F, 0, 0, 0, 0}}),
         "runs past the end of the file"},
        {"truncated event", concat({header(0, 1, 96), chunk("MTrk", {0x00, 0x90, 60})}),
         "ends inside an event"},
        {"truncated delta", concat({header(0, 1, 96), chunk("MTrk", {0x00, 0x90, 60, 1, 0x81})}),
         "ends inside a variable-length quantity"},
        {"running status without status",
         concat({header(0, 1, 96), chunk("MTrk", {0x00, 60, 100})}),
         "running status without a previous status"},
        {"quantity over four bytes",
         concat({header(0, 1, 96), chunk("MTrk", {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1})}),
         "longer than 4 bytes"},
        {"status in data", concat({header(0, 1, 96), chunk("MTrk", {0x00, 0x90, 60, 0x90})}),
         "where a data byte was expected"},
        {"system common in file", concat({header(0, 1, 96), chunk("MTrk", {0x00, 0xF2, 0, 0})}),
         "unexpected status byte 0xF2"},
        {"meta past track end",
         concat({header(0, 1, 96), chunk("MTrk", {0x00, 0xFF, 0x01, 0x20, 'a'})}),
         "meta event of 32 bytes"},
        {"sysex past track end", concat({header(0, 1, 96), chunk("MTrk", {0x00, 0xF0, 0x7F})}),
         "system exclusive message of 127 bytes"},
        {"tempo of two bytes",
         concat({header(0, 1, 96), chunk("MTrk", {0x00, 0xFF, 0x51, 0x02, 1, 2})}),
         "tempo event of 2 bytes"},
        {"tempo of zero", concat({header(0, 1, 96), track(tempo(0, 0))}), "tempo of zero"},
        {"zero division", concat({header(0, 1, 0), good}), "division of zero"},
        {"bad SMPTE rate", concat({header(0, 1, (0xE0 << 8) | 4), good}), "SMPTE frame rate 32"},
        {"SMPTE zero ticks", concat({header(0, 1, 0xE700), good}), "zero ticks per frame"},
    };
    for (const MalformedCase& c : cases) {
        const std::string error = parseError(c.file);
        EXPECT_EQ(error.rfind("malformed MIDI file: ", 0), 0u) << c.name << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
    EXPECT_EQ(
        parseError(concat({header(2, 1, 96), good})).rfind("unsupported MIDI file: format 2", 0),
        0u);
}

TEST(MidiFile, EveryTruncationAndByteCorruptionEndsCleanly) {
    const Bytes file =
        concat({header(1, 2, 96), track(concat({tempo(0, 400000), tempo(0x40, 600000)})),
                track({0x00, 0x90, 60,   100, 0x30, 64,   100,  0x00, 0xF0, 0x02, 0x01, 0xF7,
                       0x83, 0x00, 0xB0, 1,   127,  0x10, 0xE0, 0,    64,   0x00, 0xC0, 3})});
    MidiSequence sequence;
    std::string error;
    for (std::size_t length = 0; length < file.size(); ++length) {
        error.clear();
        if (!parseMidiFile(file.data(), length, sequence, error)) {
            EXPECT_FALSE(error.empty()) << length;
        }
    }
    // Deterministic pseudo-random corruption of one and two bytes.
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (int round = 0; round < 20000; ++round) {
        Bytes corrupt = file;
        corrupt[next() % corrupt.size()] = std::uint8_t(next() >> 24);
        if (round % 2) corrupt[next() % corrupt.size()] = std::uint8_t(next() >> 24);
        error.clear();
        if (parseMidiFile(corrupt.data(), corrupt.size(), sequence, error)) {
            for (std::size_t i = 1; i < sequence.events.size(); ++i)
                ASSERT_LE(sequence.events[i - 1].seconds, sequence.events[i].seconds);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(MidiFile, ReadingNamesTheFileOnFailure) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(readMidiFile("no-such-dir/missing.mid", sequence, error));
    EXPECT_NE(error.find("cannot open MIDI file 'no-such-dir/missing.mid'"), std::string::npos)
        << error;

    const char* path = "render_midi_file_test.mid";
    const Bytes file = concat({header(0, 1, 96), chunk("MTrk", {0x00, 60, 100})});
    std::FILE* out = std::fopen(path, "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    EXPECT_FALSE(readMidiFile(path, sequence, error));
    EXPECT_EQ(error.rfind(std::string(path) + ": malformed MIDI file: running status", 0), 0u)
        << error;
    std::remove(path);
}

} // namespace
