// Streaming writer of stereo RIFF/WAVE files, either 32-bit IEEE float (the
// plug-in's samples bit for bit) or 16-bit PCM. The file is written under a
// temporary name and moved into place only when complete, so a failed render
// never leaves a half-written file under the requested name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class WavSampleFormat { Float32, Pcm16 };

struct WavWriter {
    std::FILE* file = nullptr;
    std::string path;     // the requested name
    std::string tempPath; // where the data goes until finishWav
    WavSampleFormat format = WavSampleFormat::Float32;
    std::uint32_t sampleRate = 0;
    std::uint64_t frames = 0;               // written so far
    std::vector<unsigned char> interleaved; // one block of output bytes, reused
};

constexpr int kWavChannels = 2;

// Size in bytes of the header written before the samples.
std::size_t wavHeaderBytes(WavSampleFormat format);

// Largest number of frames a WAV file of this format can hold (4 GiB limit).
std::uint64_t wavMaxFrames(WavSampleFormat format);

// Converts a sample to 16-bit PCM: clipped to -1..1, scaled by 32767 and
// rounded half away from zero; NaN becomes 0.
std::int16_t pcm16FromFloat(float sample);

bool openWav(WavWriter& writer, const std::string& path, std::uint32_t sampleRate,
             WavSampleFormat format, std::string& error);

// Appends `frames` frames taken from the two channel buffers.
bool writeWavFrames(WavWriter& writer, const float* left, const float* right, std::size_t frames,
                    std::string& error);

// Completes the header, closes the file and moves it to its requested name.
bool finishWav(WavWriter& writer, std::string& error);

// Closes and deletes the temporary file after a failure.
void abandonWav(WavWriter& writer);
