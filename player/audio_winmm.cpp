// The waveOut output: stereo 32-bit float at 44.1 kHz to the default device,
// four buffers of 512 frames queued (about 46 ms), refilled by a render
// thread of ours as waveOut signals each one done. The fallback where
// WASAPI cannot be opened.
#include "windows_audio_output.h"

#include "device_samples.h"
#include "instrument_operations.h"
#include "instrument_render.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <mmsystem.h>

#include <mmreg.h>

#include <atomic>
#include <new>

namespace t815 {

namespace {

constexpr DWORD kRate = 44100;
constexpr int kFrames = 512;
constexpr int kBuffers = 4;

} // namespace

struct WaveOutOutput {
    PluginInstance* instance = nullptr;
    HWAVEOUT output = nullptr;
    HANDLE bufferDone = nullptr; // signalled by waveOut as each buffer finishes
    HANDLE renderThread = nullptr;
    std::atomic<bool> stopping{false};
    std::atomic<bool> lost{false};
    WAVEHDR headers[kBuffers] = {};
    float samples[kBuffers][kFrames * 2] = {};
    float left[kFrames] = {};
    float right[kFrames] = {};
};

namespace {

// Renders buffer i and hands it to the device; false when the device is gone.
bool fillBuffer(WaveOutOutput& output, int i) {
    renderInstrumentBlock(*output.instance, output.left, output.right, kFrames);
    writeDeviceFrames(output.left, output.right, kFrames, 2, DeviceSampleFormat::float32,
                      output.samples[i], 0);
    return waveOutWrite(output.output, &output.headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

DWORD WINAPI renderLoop(void* argument) {
    WaveOutOutput& output = *static_cast<WaveOutOutput*>(argument);
    for (int i = 0; i < kBuffers; ++i)
        if (!fillBuffer(output, i)) output.lost.store(true);
    while (!output.stopping.load() && !output.lost.load()) {
        WaitForSingleObject(output.bufferDone, 100);
        for (int i = 0; i < kBuffers; ++i)
            if ((output.headers[i].dwFlags & WHDR_DONE) && !output.stopping.load() &&
                !fillBuffer(output, i))
                output.lost.store(true);
    }
    return 0;
}

} // namespace

WaveOutOutput* openWaveOutOutput(PluginInstance& instance, std::string& error) {
    auto* output = new (std::nothrow) WaveOutOutput;
    if (!output) {
        error = "out of memory";
        return nullptr;
    }
    output->instance = &instance;
    output->bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 32;
    format.nBlockAlign = 8;
    format.nAvgBytesPerSec = kRate * 8;
    if (waveOutGetNumDevs() == 0 || !output->bufferDone ||
        waveOutOpen(&output->output, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(output->bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        output->output = nullptr;
        error = "no audio output device could be opened";
        closeWaveOutOutput(output);
        return nullptr;
    }
    setSampleRate(instance, static_cast<float>(kRate));
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& header = output->headers[i];
        header.lpData = reinterpret_cast<LPSTR>(output->samples[i]);
        header.dwBufferLength = sizeof output->samples[i];
        waveOutPrepareHeader(output->output, &header, sizeof header);
    }
    output->renderThread = CreateThread(nullptr, 0, renderLoop, output, 0, nullptr);
    if (!output->renderThread) {
        error = "the audio thread could not be started";
        closeWaveOutOutput(output);
        return nullptr;
    }
    SetThreadPriority(output->renderThread, THREAD_PRIORITY_TIME_CRITICAL);
    return output;
}

bool waveOutOutputLost(const WaveOutOutput* output) {
    return output->lost.load();
}

void closeWaveOutOutput(WaveOutOutput* output) {
    if (!output) return;
    output->stopping.store(true);
    if (output->renderThread) {
        SetEvent(output->bufferDone);
        WaitForSingleObject(output->renderThread, INFINITE);
        CloseHandle(output->renderThread);
    }
    if (output->output) {
        waveOutReset(output->output);
        for (WAVEHDR& header : output->headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(output->output, &header, sizeof header);
        waveOutClose(output->output);
    }
    if (output->bufferDone) CloseHandle(output->bufferDone);
    delete output;
}

} // namespace t815
