// Standard MIDI File reader: chunk walk, track event decoding with running
// status, tempo map and tick-to-seconds conversion.
#include "midi_file.h"

#include "platform_io.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t kDefaultMicrosPerQuarter = 500000; // 120 beats per minute
constexpr std::size_t kChunkHeaderBytes = 8;

// A channel message before the tempo map gives it a time.
struct TickedEvent {
    std::uint64_t tick;
    std::uint8_t bytes[3];
    std::uint8_t size;
};

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsPerQuarter;
};

// From `tick` on, each tick lasts `secondsPerTick`; `seconds` is the time of `tick`.
struct TempoSegment {
    std::uint64_t tick;
    double seconds;
    double secondsPerTick;
};

struct TrackContents {
    std::vector<TickedEvent> events;
    std::vector<TempoChange> tempos;
    std::uint64_t endTick = 0; // the latest track end
};

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

bool malformed(std::string& error, const std::string& reason) {
    error = "malformed MIDI file: " + reason;
    return false;
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

std::uint16_t bigEndian16(const std::uint8_t* p) {
    return std::uint16_t((p[0] << 8) | p[1]);
}

// Number of data bytes that follow a channel status byte.
int channelDataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Reads a variable-length quantity ending before `end`: seven bits per byte,
// high bit set on all but the last, at most four bytes.
bool readQuantity(const std::uint8_t* data, std::size_t end, std::size_t& pos, std::uint32_t& value,
                  int track, std::string& error) {
    value = 0;
    for (int count = 0; count < 4; ++count) {
        if (pos >= end)
            return malformed(error, "track " + std::to_string(track) +
                                        " ends inside a variable-length quantity");
        const std::uint8_t byte = data[pos++];
        value = (value << 7) | (byte & 0x7Fu);
        if ((byte & 0x80) == 0) return true;
    }
    return malformed(error, "variable-length quantity longer than 4 bytes in track " +
                                std::to_string(track) + " at byte " + std::to_string(pos - 4));
}

bool parseTrack(const std::uint8_t* data, std::size_t begin, std::size_t end, int track,
                TrackContents& contents, std::string& error) {
    const std::string where = " in track " + std::to_string(track);
    std::size_t pos = begin;
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (pos < end) {
        std::uint32_t delta = 0;
        if (!readQuantity(data, end, pos, delta, track, error)) return false;
        tick += delta;
        if (pos >= end)
            return malformed(error, "track " + std::to_string(track) + " ends after a delta time");
        const std::size_t eventStart = pos;
        std::uint8_t status = data[pos];
        if (status >= 0x80) {
            ++pos;
        } else if (runningStatus != 0) {
            status = runningStatus; // the byte just seen is the first data byte
        } else {
            return malformed(error, "running status without a previous status" + where +
                                        " at byte " + std::to_string(eventStart));
        }

        if (status < 0xF0) {
            const int dataBytes = channelDataBytes(status);
            if (end - pos < std::size_t(dataBytes))
                return malformed(error, "track " + std::to_string(track) + " ends inside an event");
            TickedEvent event{tick, {status, 0, 0}, std::uint8_t(1 + dataBytes)};
            for (int i = 0; i < dataBytes; ++i) {
                const std::uint8_t byte = data[pos++];
                if (byte >= 0x80)
                    return malformed(error, "status byte " + hexByte(byte) +
                                                " where a data byte was expected" + where +
                                                " at byte " + std::to_string(pos - 1));
                event.bytes[1 + i] = byte;
            }
            contents.events.push_back(event);
            runningStatus = status;
            continue;
        }

        // Meta and system exclusive events keep the running status: files in
        // the wild rely on it, and no channel message can be misread for it.
        if (status == 0xFF) {
            if (pos >= end)
                return malformed(error,
                                 "track " + std::to_string(track) + " ends inside a meta event");
            const std::uint8_t type = data[pos++];
            std::uint32_t length = 0;
            if (!readQuantity(data, end, pos, length, track, error)) return false;
            if (length > end - pos)
                return malformed(error, "meta event of " + std::to_string(length) +
                                            " bytes runs past the end of track " +
                                            std::to_string(track));
            if (type == 0x51) {
                if (length != 3)
                    return malformed(error, "tempo event of " + std::to_string(length) +
                                                " bytes (3 expected)" + where);
                const std::uint32_t micros = (std::uint32_t(data[pos]) << 16) |
                                             (std::uint32_t(data[pos + 1]) << 8) | data[pos + 2];
                if (micros == 0) return malformed(error, "tempo of zero" + where);
                contents.tempos.push_back({tick, micros});
            }
            pos += length;
            if (type == 0x2F) break; // end of track: anything after it is ignored
        } else if (status == 0xF0 || status == 0xF7) {
            std::uint32_t length = 0;
            if (!readQuantity(data, end, pos, length, track, error)) return false;
            if (length > end - pos)
                return malformed(error, "system exclusive message of " + std::to_string(length) +
                                            " bytes runs past the end of track " +
                                            std::to_string(track));
            pos += length;
        } else {
            return malformed(error, "unexpected status byte " + hexByte(status) + where +
                                        " at byte " + std::to_string(eventStart));
        }
    }
    contents.endTick = std::max(contents.endTick, tick);
    return true;
}

// Seconds per tick for each stretch of constant tempo, from tick 0 on.
std::vector<TempoSegment> tempoSegments(std::vector<TempoChange> tempos,
                                        std::uint16_t ticksPerQuarter) {
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    const double microsPerTick = 1000000.0 * ticksPerQuarter;
    std::vector<TempoSegment> segments{{0, 0.0, kDefaultMicrosPerQuarter / microsPerTick}};
    for (const TempoChange& change : tempos) {
        TempoSegment& last = segments.back();
        const double secondsPerTick = change.microsPerQuarter / microsPerTick;
        if (change.tick == last.tick) {
            last.secondsPerTick = secondsPerTick; // the later change at one tick wins
        } else {
            const double seconds =
                last.seconds + double(change.tick - last.tick) * last.secondsPerTick;
            segments.push_back({change.tick, seconds, secondsPerTick});
        }
    }
    return segments;
}

double secondsAt(const std::vector<TempoSegment>& segments, std::uint64_t tick) {
    auto after =
        std::upper_bound(segments.begin(), segments.end(), tick,
                         [](std::uint64_t t, const TempoSegment& s) { return t < s.tick; });
    const TempoSegment& segment = *(after - 1);
    return segment.seconds + double(tick - segment.tick) * segment.secondsPerTick;
}

// SMPTE timing: the division's high byte is minus the frame rate, its low
// byte the ticks per frame; tempo events do not apply.
bool smpteSecondsPerTick(std::uint16_t division, double& secondsPerTick, std::string& error) {
    const int framesPerSecond = -static_cast<int>(static_cast<std::int8_t>(division >> 8));
    const int ticksPerFrame = division & 0xFF;
    if (ticksPerFrame == 0) return malformed(error, "SMPTE division with zero ticks per frame");
    switch (framesPerSecond) {
    case 24:
    case 25:
    case 30:
        secondsPerTick = 1.0 / (double(framesPerSecond) * ticksPerFrame);
        return true;
    case 29: // 29.97 frames per second (drop frame)
        secondsPerTick = 1001.0 / (30000.0 * ticksPerFrame);
        return true;
    default:
        return malformed(error, "SMPTE frame rate " + std::to_string(framesPerSecond) +
                                    " (24, 25, 29 or 30 expected)");
    }
}

} // namespace

bool parseMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& sequence,
                   std::string& error) {
    if (data == nullptr && size != 0) return malformed(error, "no data");
    if (size < kChunkHeaderBytes || std::equal(data, data + 4, "MThd") == false)
        return malformed(error, "no MThd header (not a Standard MIDI File)");
    const std::uint32_t headerLength = bigEndian32(data + 4);
    if (headerLength < 6)
        return malformed(error,
                         "header chunk of " + std::to_string(headerLength) + " bytes (6 expected)");
    if (headerLength > size - kChunkHeaderBytes) return malformed(error, "truncated header chunk");
    const std::uint16_t format = bigEndian16(data + 8);
    const std::uint16_t trackCount = bigEndian16(data + 10);
    const std::uint16_t division = bigEndian16(data + 12);

    if (format == 2) {
        error = "unsupported MIDI file: format 2 (independent sequences); formats 0 and 1 are "
                "supported";
        return false;
    }
    if (format > 2) return malformed(error, "unknown format " + std::to_string(format));
    if (trackCount == 0) return malformed(error, "no tracks");
    if (format == 0 && trackCount != 1)
        return malformed(error, "format 0 with " + std::to_string(trackCount) + " tracks");

    std::size_t pos = kChunkHeaderBytes + headerLength;
    if (trackCount > (size - pos) / kChunkHeaderBytes)
        return malformed(error, "header announces " + std::to_string(trackCount) +
                                    " tracks, more than the file's " + std::to_string(size) +
                                    " bytes can hold");

    TrackContents contents;
    int tracksRead = 0;
    while (tracksRead < trackCount) {
        if (size - pos < kChunkHeaderBytes)
            return malformed(error, "file ends after " + std::to_string(tracksRead) + " of " +
                                        std::to_string(trackCount) + " tracks");
        const std::uint8_t* chunk = data + pos;
        const std::uint32_t length = bigEndian32(chunk + 4);
        pos += kChunkHeaderBytes;
        if (length > size - pos)
            return malformed(error, "chunk length " + std::to_string(length) + " at byte " +
                                        std::to_string(pos - kChunkHeaderBytes) +
                                        " runs past the end of the file (" +
                                        std::to_string(size - pos) + " bytes left)");
        if (std::equal(chunk, chunk + 4, "MTrk")) {
            ++tracksRead;
            if (!parseTrack(data, pos, pos + length, tracksRead, contents, error)) return false;
        } // chunks of other types are skipped, as the format asks
        pos += length;
    }

    // Merge the tracks: a stable sort keeps track order, then file order, for
    // events on the same tick.
    std::stable_sort(contents.events.begin(), contents.events.end(),
                     [](const TickedEvent& a, const TickedEvent& b) { return a.tick < b.tick; });
    std::vector<TempoSegment> segments;
    if (division & 0x8000) {
        double secondsPerTick = 0.0;
        if (!smpteSecondsPerTick(division, secondsPerTick, error)) return false;
        segments.push_back({0, 0.0, secondsPerTick});
    } else {
        if (division == 0) return malformed(error, "division of zero ticks per quarter note");
        segments = tempoSegments(std::move(contents.tempos), division);
    }

    sequence.events.clear();
    sequence.events.reserve(contents.events.size());
    std::uint64_t lastTick = contents.endTick;
    for (const TickedEvent& event : contents.events) {
        TimedMidiEvent timed{secondsAt(segments, event.tick), {0, 0, 0}, event.size};
        std::copy(event.bytes, event.bytes + 3, timed.bytes);
        sequence.events.push_back(timed);
        lastTick = std::max(lastTick, event.tick);
    }
    sequence.endSeconds = secondsAt(segments, lastTick);
    return true;
}

bool readMidiFile(const std::string& path, MidiSequence& sequence, std::string& error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFileUtf8(path, "rb"), std::fclose);
    if (!file) {
        error = "cannot open MIDI file '" + path + "': " + lastErrorText();
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (bytes.size() + got > kMaxMidiFileBytes) {
            error = "MIDI file '" + path + "' is larger than " +
                    std::to_string(kMaxMidiFileBytes >> 20) + " MiB";
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < sizeof buffer) break;
    }
    if (std::ferror(file.get())) {
        error = "cannot read MIDI file '" + path + "'";
        return false;
    }
    if (!parseMidiFile(bytes.data(), bytes.size(), sequence, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
