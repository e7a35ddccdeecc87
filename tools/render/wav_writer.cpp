// RIFF/WAVE layout, sample conversion and the write-then-rename sequence.
#include "wav_writer.h"

#include "platform_io.h"

#include <cmath>
#include <cstring>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatIeeeFloat = 3;
constexpr std::uint64_t kMaxRiffBytes = 0xFFFFFFFFu;

int bytesPerSample(WavSampleFormat format) {
    return format == WavSampleFormat::Float32 ? 4 : 2;
}

void put16(unsigned char*& out, std::uint32_t value) {
    *out++ = static_cast<unsigned char>(value);
    *out++ = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char*& out, std::uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

void putTag(unsigned char*& out, const char* tag) {
    std::memcpy(out, tag, 4);
    out += 4;
}

// The whole header for a file holding `frames` frames. Float files carry the
// 18-byte format chunk and the fact chunk that non-PCM formats require.
std::size_t buildHeader(const WavWriter& writer, std::uint64_t frames, unsigned char* header) {
    const bool isFloat = writer.format == WavSampleFormat::Float32;
    const std::uint32_t blockAlign = kWavChannels * bytesPerSample(writer.format);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * blockAlign);
    const std::size_t headerBytes = wavHeaderBytes(writer.format);
    unsigned char* out = header;
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(headerBytes - 8 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, isFloat ? 18 : 16);
    put16(out, isFloat ? kFormatIeeeFloat : kFormatPcm);
    put16(out, kWavChannels);
    put32(out, writer.sampleRate);
    put32(out, writer.sampleRate * blockAlign);
    put16(out, blockAlign);
    put16(out, 8 * bytesPerSample(writer.format));
    if (isFloat) {
        put16(out, 0); // no extension bytes
        putTag(out, "fact");
        put32(out, 4);
        put32(out, static_cast<std::uint32_t>(frames));
    }
    putTag(out, "data");
    put32(out, dataBytes);
    return static_cast<std::size_t>(out - header);
}

std::string writeFailure(const WavWriter& writer) {
    return "cannot write output '" + writer.path + "': " + lastErrorText();
}

} // namespace

std::size_t wavHeaderBytes(WavSampleFormat format) {
    return format == WavSampleFormat::Float32 ? 58 : 44;
}

std::uint64_t wavMaxFrames(WavSampleFormat format) {
    return (kMaxRiffBytes - wavHeaderBytes(format)) / (kWavChannels * bytesPerSample(format));
}

std::int16_t pcm16FromFloat(float sample) {
    if (std::isnan(sample)) return 0;
    double value = sample;
    if (value > 1.0) value = 1.0;
    if (value < -1.0) value = -1.0;
    value *= 32767.0;
    value = value < 0.0 ? -std::floor(0.5 - value) : std::floor(value + 0.5);
    return static_cast<std::int16_t>(value);
}

bool openWav(WavWriter& writer, const std::string& path, std::uint32_t sampleRate,
             WavSampleFormat format, std::string& error) {
    writer.path = path;
    writer.tempPath = path + ".part";
    writer.format = format;
    writer.sampleRate = sampleRate;
    writer.frames = 0;
    writer.file = openFileUtf8(writer.tempPath, "wb");
    if (writer.file == nullptr) {
        error = writeFailure(writer);
        return false;
    }
    unsigned char header[64];
    const std::size_t headerBytes = buildHeader(writer, 0, header);
    if (std::fwrite(header, 1, headerBytes, writer.file) != headerBytes) {
        error = writeFailure(writer);
        abandonWav(writer);
        return false;
    }
    return true;
}

bool writeWavFrames(WavWriter& writer, const float* left, const float* right, std::size_t frames,
                    std::string& error) {
    if (writer.file == nullptr) {
        error = "cannot write output '" + writer.path + "': the file is not open";
        return false;
    }
    if (frames == 0) return true;
    if (left == nullptr || right == nullptr) {
        error = "cannot write output '" + writer.path + "': missing channel data";
        return false;
    }
    if (frames > wavMaxFrames(writer.format) - writer.frames) {
        error = "cannot write output '" + writer.path + "': more audio than a WAV file can hold";
        return false;
    }
    const std::size_t sampleBytes = std::size_t(bytesPerSample(writer.format));
    const std::size_t bytes = frames * kWavChannels * sampleBytes;
    if (writer.interleaved.size() < bytes) writer.interleaved.resize(bytes);
    unsigned char* out = writer.interleaved.data();
    for (std::size_t i = 0; i < frames; ++i) {
        for (const float* channel : {left, right}) {
            if (writer.format == WavSampleFormat::Float32) {
                std::uint32_t bits;
                std::memcpy(&bits, &channel[i], sizeof bits);
                put32(out, bits);
            } else {
                put16(out, static_cast<std::uint16_t>(pcm16FromFloat(channel[i])));
            }
        }
    }
    if (std::fwrite(writer.interleaved.data(), 1, bytes, writer.file) != bytes) {
        error = writeFailure(writer);
        return false;
    }
    writer.frames += frames;
    return true;
}

bool finishWav(WavWriter& writer, std::string& error) {
    if (writer.file == nullptr) {
        error = "cannot write output '" + writer.path + "': the file is not open";
        return false;
    }
    unsigned char header[64];
    const std::size_t headerBytes = buildHeader(writer, writer.frames, header);
    const bool written = std::fflush(writer.file) == 0 &&
                         std::fseek(writer.file, 0, SEEK_SET) == 0 &&
                         std::fwrite(header, 1, headerBytes, writer.file) == headerBytes &&
                         std::fflush(writer.file) == 0;
    if (!written) error = writeFailure(writer);
    const bool closed = std::fclose(writer.file) == 0;
    writer.file = nullptr;
    if (written && !closed) error = writeFailure(writer);
    if (!written || !closed) {
        removeFile(writer.tempPath);
        return false;
    }
    std::string reason;
    if (!replaceFile(writer.tempPath, writer.path, reason)) {
        error = "cannot write output '" + writer.path + "': " + reason;
        removeFile(writer.tempPath);
        return false;
    }
    return true;
}

void abandonWav(WavWriter& writer) {
    if (writer.file != nullptr) {
        std::fclose(writer.file);
        writer.file = nullptr;
    }
    if (!writer.tempPath.empty()) removeFile(writer.tempPath);
}
