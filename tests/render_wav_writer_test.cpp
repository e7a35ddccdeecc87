// The WAV writer: header fields and sizes of float and PCM files, sample
// bits, 16-bit conversion with clipping, and failures that leave no file.
#include "wav_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> readAll(const std::string& path) {
    std::vector<unsigned char> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(file);
    return bytes;
}

bool exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

std::uint16_t le16(const std::vector<unsigned char>& b, std::size_t at) {
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}

std::string tag(const std::vector<unsigned char>& b, std::size_t at) {
    return std::string(b.begin() + at, b.begin() + at + 4);
}

std::string writeFile(const std::string& path, WavSampleFormat format,
                      const std::vector<float>& left, const std::vector<float>& right,
                      std::size_t blocks) {
    WavWriter writer;
    std::string error;
    EXPECT_TRUE(openWav(writer, path, 48000, format, error)) << error;
    for (std::size_t i = 0; i < blocks; ++i)
        EXPECT_TRUE(writeWavFrames(writer, left.data(), right.data(), left.size(), error)) << error;
    EXPECT_TRUE(finishWav(writer, error)) << error;
    return error;
}

TEST(WavWriter, FloatFileHeaderAndSamplesAreExact) {
    const std::string path = "render_wav_float.wav";
    const std::vector<float> left = {0.0f, -0.5f, 1.0e-30f};
    const std::vector<float> right = {1.5f, std::numeric_limits<float>::quiet_NaN(), -0.0f};
    writeFile(path, WavSampleFormat::Float32, left, right, 2);
    const std::vector<unsigned char> b = readAll(path);
    ASSERT_EQ(b.size(), 58u + 6 * 8);
    EXPECT_EQ(tag(b, 0), "RIFF");
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(tag(b, 8), "WAVE");
    EXPECT_EQ(tag(b, 12), "fmt ");
    EXPECT_EQ(le32(b, 16), 18u);
    EXPECT_EQ(le16(b, 20), 3); // IEEE float
    EXPECT_EQ(le16(b, 22), 2); // channels
    EXPECT_EQ(le32(b, 24), 48000u);
    EXPECT_EQ(le32(b, 28), 48000u * 8);
    EXPECT_EQ(le16(b, 32), 8);  // block align
    EXPECT_EQ(le16(b, 34), 32); // bits
    EXPECT_EQ(le16(b, 36), 0);  // extension size
    EXPECT_EQ(tag(b, 38), "fact");
    EXPECT_EQ(le32(b, 46), 6u); // frames
    EXPECT_EQ(tag(b, 50), "data");
    EXPECT_EQ(le32(b, 54), 48u);
    for (std::size_t frame = 0; frame < 6; ++frame) {
        for (int channel = 0; channel < 2; ++channel) {
            const float expected = (channel ? right : left)[frame % 3];
            std::uint32_t bits;
            std::memcpy(&bits, &expected, 4);
            EXPECT_EQ(le32(b, 58 + frame * 8 + channel * 4), bits) << frame << "/" << channel;
        }
    }
    EXPECT_FALSE(exists(path + ".part"));
    std::remove(path.c_str());
}

TEST(WavWriter, Pcm16FileAndEmptyFile) {
    const std::string path = "render_wav_pcm.wav";
    writeFile(path, WavSampleFormat::Pcm16, {0.5f, -1.0f}, {2.0f, 0.0f}, 1);
    std::vector<unsigned char> b = readAll(path);
    ASSERT_EQ(b.size(), 44u + 2 * 4);
    EXPECT_EQ(le32(b, 4), 36u + 8);
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le16(b, 20), 1); // PCM
    EXPECT_EQ(le32(b, 28), 48000u * 4);
    EXPECT_EQ(le16(b, 32), 4);
    EXPECT_EQ(le16(b, 34), 16);
    EXPECT_EQ(tag(b, 36), "data");
    EXPECT_EQ(le32(b, 40), 8u);
    EXPECT_EQ(le16(b, 44), 16384); // 0.5 × 32767 rounds up
    EXPECT_EQ(le16(b, 46), 32767); // clipped
    EXPECT_EQ(le16(b, 48), std::uint16_t(-32767));
    EXPECT_EQ(le16(b, 50), 0);

    writeFile(path, WavSampleFormat::Float32, {}, {}, 0); // replaces the PCM file
    b = readAll(path);
    ASSERT_EQ(b.size(), 58u);
    EXPECT_EQ(le32(b, 54), 0u);
    std::remove(path.c_str());
}

TEST(WavWriter, Pcm16ConversionClipsAndRounds) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(pcm16FromFloat(0.0f), 0);
    EXPECT_EQ(pcm16FromFloat(1.0f), 32767);
    EXPECT_EQ(pcm16FromFloat(-1.0f), -32767);
    EXPECT_EQ(pcm16FromFloat(1.0001f), 32767);
    EXPECT_EQ(pcm16FromFloat(-7.0f), -32767);
    EXPECT_EQ(pcm16FromFloat(inf), 32767);
    EXPECT_EQ(pcm16FromFloat(-inf), -32767);
    EXPECT_EQ(pcm16FromFloat(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(pcm16FromFloat(0.6f / 32767.0f), 1);
    EXPECT_EQ(pcm16FromFloat(-0.6f / 32767.0f), -1);
    EXPECT_EQ(pcm16FromFloat(0.4f / 32767.0f), 0);
    EXPECT_EQ(pcm16FromFloat(-0.25f), -8192); // -8191.75
    EXPECT_EQ(pcm16FromFloat(-0.5f), -16384); // -16383.5: half away from zero
}

TEST(WavWriter, UnwritablePathFailsNamingItAndLeavesNothing) {
    const std::string path = "no-such-directory/out.wav";
    WavWriter writer;
    std::string error;
    EXPECT_FALSE(openWav(writer, path, 44100, WavSampleFormat::Float32, error));
    EXPECT_EQ(error.rfind("cannot write output '" + path + "'", 0), 0u) << error;
    const float sample = 0.0f;
    EXPECT_FALSE(writeWavFrames(writer, &sample, &sample, 1, error));
    EXPECT_FALSE(finishWav(writer, error));
}

TEST(WavWriter, AbandonedWriteLeavesNoFileAndLimitsAreChecked) {
    const std::string path = "render_wav_abandoned.wav";
    WavWriter writer;
    std::string error;
    ASSERT_TRUE(openWav(writer, path, 44100, WavSampleFormat::Pcm16, error));
    const float sample = 0.25f;
    EXPECT_FALSE(writeWavFrames(writer, &sample, nullptr, 1, error));
    writer.frames = wavMaxFrames(WavSampleFormat::Pcm16); // as if the file were full
    EXPECT_FALSE(writeWavFrames(writer, &sample, &sample, 1, error));
    EXPECT_NE(error.find("more audio than a WAV file can hold"), std::string::npos);
    abandonWav(writer);
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(exists(path + ".part"));
    EXPECT_EQ(wavMaxFrames(WavSampleFormat::Float32), (0xFFFFFFFFull - 58) / 8);
}

} // namespace
