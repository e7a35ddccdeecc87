// The state extension: a small versioned stream of the instance's saved
// settings (saved_settings.h), little-endian:
//
//   "T815" (4 bytes), format version (u32, 1), program index (i32),
//   unison (u8, 0/1), filter (u8, 0/1), cutoff, resonance, volume (f32 bits,
//   as the instance keeps them), tuning offset (i32), wheel (f32 bits)
//
// A load reads and checks the whole stream before it changes anything: a
// short, long, unreadable, foreign or future stream leaves the instance as
// it was and answers false.
#include "clap_extensions.h"

#include "saved_settings.h"

#include <cstring>

namespace t815 {

namespace {

constexpr char kMagic[4] = {'T', '8', '1', '5'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::size_t kStreamBytes = 34;

struct Bytes {
    unsigned char data[kStreamBytes];
    std::size_t at;
};

void put32(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.data[bytes.at++] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t get32(Bytes& bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes.data[bytes.at++]) << (8 * i);
    return value;
}

std::uint32_t bitsOfFloat(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOfBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Bytes encode(const SavedSettings& s) {
    Bytes bytes{};
    std::memcpy(bytes.data, kMagic, sizeof kMagic);
    bytes.at = sizeof kMagic;
    put32(bytes, kFormatVersion);
    put32(bytes, static_cast<std::uint32_t>(s.programIndex));
    bytes.data[bytes.at++] = s.unisonOn ? 1 : 0;
    bytes.data[bytes.at++] = s.filterOn ? 1 : 0;
    put32(bytes, bitsOfFloat(s.cutoffParam));
    put32(bytes, bitsOfFloat(s.resonance));
    put32(bytes, bitsOfFloat(s.volume));
    put32(bytes, static_cast<std::uint32_t>(s.pitchOffset));
    put32(bytes, bitsOfFloat(s.modWheel));
    return bytes;
}

bool decode(Bytes& bytes, SavedSettings& s) {
    if (std::memcmp(bytes.data, kMagic, sizeof kMagic) != 0) return false;
    bytes.at = sizeof kMagic;
    if (get32(bytes) != kFormatVersion) return false;
    s.programIndex = static_cast<std::int32_t>(get32(bytes));
    const unsigned char unison = bytes.data[bytes.at++];
    const unsigned char filter = bytes.data[bytes.at++];
    if (unison > 1 || filter > 1) return false;
    s.unisonOn = unison != 0;
    s.filterOn = filter != 0;
    s.cutoffParam = floatOfBits(get32(bytes));
    s.resonance = floatOfBits(get32(bytes));
    s.volume = floatOfBits(get32(bytes));
    s.pitchOffset = static_cast<std::int32_t>(get32(bytes));
    s.modWheel = floatOfBits(get32(bytes));
    return isValidSavedSettings(s);
}

// Reads up to size bytes; the count read, or -1 on a read error.
std::int64_t readFully(const clap_istream* stream, unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t got = stream->read(stream, buffer + done, size - done);
        if (got < 0 || static_cast<std::uint64_t>(got) > size - done) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool CLAP_CALL stateSave(const clap_plugin* plugin, const clap_ostream* stream) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !stream || !stream->write) return false;
    const Bytes bytes = encode(readSavedSettings(face->instance));
    for (std::size_t done = 0; done < kStreamBytes;) {
        const std::int64_t wrote = stream->write(stream, bytes.data + done, kStreamBytes - done);
        if (wrote <= 0 || static_cast<std::uint64_t>(wrote) > kStreamBytes - done) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool CLAP_CALL stateLoad(const clap_plugin* plugin, const clap_istream* stream) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !stream || !stream->read) return false;
    Bytes bytes{};
    unsigned char beyond = 0;
    if (readFully(stream, bytes.data, kStreamBytes) != static_cast<std::int64_t>(kStreamBytes) ||
        readFully(stream, &beyond, 1) != 0)
        return false;
    SavedSettings settings{};
    if (!decode(bytes, settings)) return false;
    restoreSavedSettings(face->instance, settings);
    return true;
}

} // namespace

const clap_plugin_state kClapState = {stateSave, stateLoad};

} // namespace t815
