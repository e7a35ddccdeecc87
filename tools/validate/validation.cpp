// The host side shared by the checks: instances, guarded string buffers,
// MIDI lists, audio blocks and their judgement.
#include "validation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char kGuardByte = 0xA5;
constexpr std::size_t kGuardBytes = 256;

std::uint64_t mix(std::uint64_t x) { // splitmix64's finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool isSubnormal(float value) {
    return value != 0.0f && std::fabs(value) < 1.17549435e-38f;
}

} // namespace

Random randomFor(const Validation& validation, const char* check) {
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a of the name
    for (const char* c = check; *c; ++c)
        hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    return Random{mix(validation.seed ^ hash)};
}

std::uint32_t nextRandom(Random& random) {
    random.state = mix(random.state);
    return static_cast<std::uint32_t>(random.state >> 32);
}

int randomBelow(Random& random, int count) {
    return count <= 0 ? 0 : static_cast<int>(nextRandom(random) % static_cast<unsigned>(count));
}

float randomUnit(Random& random) {
    return static_cast<float>(nextRandom(random) >> 8) / float(0xFFFFFF);
}

AEffect* createInstance(Validation& validation, std::string& error) {
    return createPlugin(validation.library, hostCallback, error);
}

AEffect* openInstance(Validation& validation, double sampleRate, VstInt32 blockSize,
                      std::string& error) {
    AEffect* effect = createInstance(validation, error);
    if (!effect) return nullptr;
    validation.host.sampleRate = sampleRate;
    validation.host.blockSize = blockSize;
    dispatch(effect, effOpen);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effect, effSetBlockSize, 0, blockSize);
    dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

void closeInstance(AEffect* effect) {
    if (!effect) return;
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effClose);
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

StringAnswer askString(AEffect* effect, VstInt32 opcode, VstInt32 index, std::size_t limit) {
    std::vector<unsigned char> buffer(limit + kGuardBytes, kGuardByte);
    StringAnswer answer;
    answer.result = dispatch(effect, opcode, index, 0, buffer.data());
    for (std::size_t i = 0; i < limit + kGuardBytes; ++i)
        if (buffer[i] != kGuardByte) answer.written = true;
    for (std::size_t i = limit; i < limit + kGuardBytes; ++i)
        if (buffer[i] != kGuardByte) answer.guardTouched = true;
    const void* zero = std::memchr(buffer.data(), 0, buffer.size());
    const std::size_t end =
        zero ? static_cast<const unsigned char*>(zero) - buffer.data() : buffer.size();
    answer.terminated = zero != nullptr && end < limit;
    answer.length = end;
    if (answer.written) answer.text.assign(reinterpret_cast<const char*>(buffer.data()), end);
    return answer;
}

std::string stringProblem(const StringAnswer& answer, const std::string& what, std::size_t limit) {
    if (!answer.written) return "";
    const std::string shown = "'" + answer.text.substr(0, 40) + "'";
    if (answer.guardTouched)
        return what + " wrote past its " + std::to_string(limit) + "-byte buffer: " + shown +
               " takes " + std::to_string(answer.length + 1) + " bytes";
    if (!answer.terminated)
        return what + " is not terminated within its " + std::to_string(limit) + " bytes";
    return "";
}

std::vector<NoteEvent> randomNotes(Random& random, long long frames, long long grid) {
    std::vector<NoteEvent> notes;
    const long long slots = frames / grid;
    for (long long slot = 0; slot + 1 < slots; slot += 1 + randomBelow(random, 2)) {
        const unsigned char key = static_cast<unsigned char>(36 + randomBelow(random, 61));
        const unsigned char velocity = static_cast<unsigned char>(1 + randomBelow(random, 127));
        const long long length = 1 + randomBelow(random, 3);
        const long long off = std::min(slot + length, slots - 1);
        notes.push_back({slot * grid, 0x90, key, velocity});
        notes.push_back({off * grid, 0x80, key, 0});
    }
    // Stable order by frame keeps each note-off after its note-on.
    std::stable_sort(notes.begin(), notes.end(),
                     [](const NoteEvent& a, const NoteEvent& b) { return a.frame < b.frame; });
    return notes;
}

void fillMidiList(MidiList& list, const NoteEvent* first, std::size_t count, long long blockStart) {
    list.events.assign(count, VstMidiEvent{});
    for (std::size_t i = 0; i < count; ++i) {
        VstMidiEvent& event = list.events[i];
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = static_cast<VstInt32>(first[i].frame - blockStart);
        event.midiData[0] = static_cast<char>(first[i].status);
        event.midiData[1] = static_cast<char>(first[i].data1);
        event.midiData[2] = static_cast<char>(first[i].data2);
    }
    list.storage.assign(offsetof(VstEvents, events) + (count + 2) * sizeof(VstEvent*), 0);
    VstEvents* events = reinterpret_cast<VstEvents*>(list.storage.data());
    events->numEvents = static_cast<VstInt32>(count);
    for (std::size_t i = 0; i < count; ++i)
        events->events[i] = reinterpret_cast<VstEvent*>(&list.events[i]);
}

void sendMidiList(AEffect* effect, MidiList& list) {
    if (list.events.empty()) return;
    dispatch(effect, effProcessEvents, 0, 0, list.storage.data());
}

void sendMidi(AEffect* effect, unsigned char status, unsigned char data1, unsigned char data2) {
    const NoteEvent note{0, status, data1, data2};
    MidiList list;
    fillMidiList(list, &note, 1, 0);
    sendMidiList(effect, list);
}

void prepareBuffers(AudioBuffers& buffers, const AEffect* effect, VstInt32 frames) {
    const std::size_t size = static_cast<std::size_t>(frames > 0 ? frames : 1);
    buffers.outputs.assign(static_cast<std::size_t>(effect->numOutputs), std::vector<float>(size));
    buffers.inputs.assign(static_cast<std::size_t>(effect->numInputs), std::vector<float>(size));
    buffers.outputPointers.clear();
    buffers.inputPointers.clear();
    for (auto& channel : buffers.outputs)
        buffers.outputPointers.push_back(channel.data());
    for (auto& channel : buffers.inputs)
        buffers.inputPointers.push_back(channel.data());
    buffers.inputPointers.push_back(nullptr); // never an empty array
}

void processBlock(AEffect* effect, AudioBuffers& buffers, VstInt32 frames) {
    if (effect->processReplacing && (effect->flags & effFlagsCanReplacing)) {
        effect->processReplacing(effect, buffers.inputPointers.data(),
                                 buffers.outputPointers.data(), frames);
        return;
    }
    for (auto& channel : buffers.outputs)
        std::fill(channel.begin(), channel.begin() + frames, 0.0f);
    if (effect->process)
        effect->process(effect, buffers.inputPointers.data(), buffers.outputPointers.data(),
                        frames);
    else
        effect->processReplacing(effect, buffers.inputPointers.data(),
                                 buffers.outputPointers.data(), frames);
}

void addToStats(AudioStats& stats, const AudioBuffers& buffers, VstInt32 frames) {
    std::vector<const float*> channels;
    for (const auto& channel : buffers.outputs)
        channels.push_back(channel.data());
    addChannelsToStats(stats, channels.data(), static_cast<int>(channels.size()), frames);
}

void addChannelsToStats(AudioStats& stats, const float* const* channels, int channelCount,
                        int frames) {
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channelCount; ++c) {
            const float sample = channels[c][i];
            const bool finite = std::isfinite(sample);
            const bool subnormal = isSubnormal(sample);
            if (!finite) ++stats.nonFinite;
            if (subnormal) ++stats.subnormal;
            if ((!finite || subnormal || std::fabs(sample) > kPeakLimit) && stats.firstBadFrame < 0)
                stats.firstBadFrame = stats.frames + i;
            if (finite && std::fabs(sample) > stats.peak) stats.peak = std::fabs(sample);
        }
    }
    stats.frames += frames;
}

std::string audioProblem(const AudioStats& stats) {
    const std::string at = " (first at frame " + std::to_string(stats.firstBadFrame) + ")";
    if (stats.nonFinite > 0)
        return std::to_string(stats.nonFinite) + " NaN or infinite samples" + at;
    if (stats.subnormal > 0) return std::to_string(stats.subnormal) + " subnormal samples" + at;
    if (stats.peak > kPeakLimit)
        return "peak " + describeFloat(stats.peak) + " exceeds " + describeFloat(kPeakLimit) + at;
    return "";
}

AudioStats renderNotes(AEffect* effect, const std::vector<NoteEvent>& notes, long long frames,
                       VstInt32 blockSize, std::vector<float>* capture) {
    AudioBuffers buffers;
    prepareBuffers(buffers, effect, blockSize);
    AudioStats stats;
    MidiList list;
    std::size_t next = 0;
    if (capture) capture->assign(buffers.outputs.size() * static_cast<std::size_t>(frames), 0.0f);
    for (long long start = 0; start < frames; start += blockSize) {
        const VstInt32 length =
            static_cast<VstInt32>(std::min<long long>(blockSize, frames - start));
        std::size_t end = next;
        while (end < notes.size() && notes[end].frame < start + length)
            ++end;
        if (end > next) {
            fillMidiList(list, &notes[next], end - next, start);
            sendMidiList(effect, list);
            next = end;
        }
        processBlock(effect, buffers, length);
        addToStats(stats, buffers, length);
        if (capture)
            for (std::size_t c = 0; c < buffers.outputs.size(); ++c)
                std::copy(buffers.outputs[c].begin(), buffers.outputs[c].begin() + length,
                          capture->begin() + static_cast<std::ptrdiff_t>(c * frames + start));
    }
    return stats;
}

AudioStats playTestNote(AEffect* effect) {
    const std::vector<NoteEvent> notes = {{0, 0x90, 60, 100}, {11025, 0x80, 60, 0}};
    return renderNotes(effect, notes, 16384, 512);
}

std::string describeFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    return text;
}
