// The WASAPI output: the default render endpoint in shared mode, event
// driven, in the endpoint's mix format (32-bit float or 16-bit integer, any
// channel count; device_samples.h) at the mix's rate, which becomes the
// instance's. A render thread of ours does all COM work, so the window's
// thread never meets COM: it opens the device, reports back, then fills the
// buffer each time the audio system signals room, rendering into fixed
// arrays of its own.
#include "windows_audio_output.h"

#include "device_samples.h"
#include "instrument_operations.h"
#include "instrument_render.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <atomic>
#include <new>

namespace t815 {

namespace {

constexpr int kChunkFrames = 512;                  // rendered at once
constexpr REFERENCE_TIME kBufferDuration = 200000; // 20 ms, in 100 ns units
constexpr DWORD kWakeMilliseconds = 500;           // a silent device still gets its errors noticed

} // namespace

struct WasapiOutput {
    PluginInstance* instance = nullptr;
    HANDLE bufferReady = nullptr; // signalled by the audio system when there is room
    HANDLE opened = nullptr;      // signalled by the render thread once it knows
    HANDLE renderThread = nullptr;
    const char* failure = nullptr; // set by the render thread when it could not open
    std::atomic<bool> stopping{false};
    std::atomic<bool> lost{false};
    // Owned by the render thread.
    IAudioClient* client = nullptr;
    IAudioRenderClient* render = nullptr;
    UINT32 bufferFrames = 0;
    WORD channels = 0;
    DeviceSampleFormat format = DeviceSampleFormat::float32;
    float left[kChunkFrames] = {};
    float right[kChunkFrames] = {};
};

namespace {

template <typename Interface> void release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

// The subformat GUIDs of WAVEFORMATEXTENSIBLE are the format tag in the
// first field of this base.
bool isSubformat(const GUID& subformat, WORD tag) {
    static const GUID base = {
        0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    GUID tagged = base;
    tagged.Data1 = tag;
    return IsEqualGUID(subformat, tagged);
}

// The mix format's sample format, false for one we do not write.
bool sampleFormatOf(const WAVEFORMATEX& mix, DeviceSampleFormat& format) {
    WORD tag = mix.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && mix.cbSize >= 22) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(mix);
        tag = isSubformat(extensible.SubFormat, WAVE_FORMAT_IEEE_FLOAT) ? WAVE_FORMAT_IEEE_FLOAT
              : isSubformat(extensible.SubFormat, WAVE_FORMAT_PCM)      ? WAVE_FORMAT_PCM
                                                                        : 0;
    }
    if (tag == WAVE_FORMAT_IEEE_FLOAT && mix.wBitsPerSample == 32) {
        format = DeviceSampleFormat::float32;
        return true;
    }
    if (tag == WAVE_FORMAT_PCM && mix.wBitsPerSample == 16) {
        format = DeviceSampleFormat::int16;
        return true;
    }
    return false;
}

// Fills the room the device buffer has; false when the device is gone.
bool fillBuffer(WasapiOutput& output) {
    UINT32 padding = 0;
    if (FAILED(output.client->GetCurrentPadding(&padding))) return false;
    const UINT32 room = output.bufferFrames - padding;
    if (room == 0) return true;
    BYTE* data = nullptr;
    if (FAILED(output.render->GetBuffer(room, &data))) return false;
    for (UINT32 done = 0; done < room;) {
        const UINT32 frames = room - done < kChunkFrames ? room - done : kChunkFrames;
        renderInstrumentBlock(*output.instance, output.left, output.right,
                              static_cast<int>(frames));
        writeDeviceFrames(output.left, output.right, static_cast<std::int32_t>(frames),
                          output.channels, output.format, data, static_cast<std::int32_t>(done));
        done += frames;
    }
    return SUCCEEDED(output.render->ReleaseBuffer(room, 0));
}

// Opens the default endpoint in shared mode at its mix format; the reason
// when it cannot.
const char* openDevice(WasapiOutput& output) {
    IMMDeviceEnumerator* enumerator = nullptr;
    IMMDevice* device = nullptr;
    WAVEFORMATEX* mix = nullptr;
    const char* failure = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(&enumerator))) ||
        FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) ||
        FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                reinterpret_cast<void**>(&output.client))) ||
        FAILED(output.client->GetMixFormat(&mix))) {
        failure = "no audio output device could be opened";
    } else if (!sampleFormatOf(*mix, output.format) || mix->nChannels == 0) {
        failure = "the audio device mixes in a sample format other than 32-bit float or "
                  "16-bit integer";
    } else if (FAILED(output.client->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                                AUDCLNT_STREAMFLAGS_EVENTCALLBACK, kBufferDuration,
                                                0, mix, nullptr)) ||
               FAILED(output.client->SetEventHandle(output.bufferReady)) ||
               FAILED(output.client->GetBufferSize(&output.bufferFrames)) ||
               FAILED(output.client->GetService(__uuidof(IAudioRenderClient),
                                                reinterpret_cast<void**>(&output.render)))) {
        failure = "the audio device could not be opened for playing";
    } else {
        output.channels = mix->nChannels;
        setSampleRate(*output.instance, static_cast<float>(mix->nSamplesPerSec));
    }
    if (mix) CoTaskMemFree(mix);
    release(device);
    release(enumerator);
    return failure;
}

DWORD WINAPI renderLoop(void* argument) {
    WasapiOutput& output = *static_cast<WasapiOutput*>(argument);
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    output.failure = com ? openDevice(output) : "the audio system could not be started";
    // The first buffer full before starting, so that the device starts with sound.
    if (!output.failure && (!fillBuffer(output) || FAILED(output.client->Start())))
        output.failure = "the audio device could not be started";
    const bool playing = !output.failure;
    SetEvent(output.opened);
    while (playing && !output.stopping.load() && !output.lost.load()) {
        WaitForSingleObject(output.bufferReady, kWakeMilliseconds);
        if (!output.stopping.load() && !fillBuffer(output)) output.lost.store(true);
    }
    if (playing) output.client->Stop();
    release(output.render);
    release(output.client);
    if (com) CoUninitialize();
    return 0;
}

} // namespace

WasapiOutput* openWasapiOutput(PluginInstance& instance, std::string& error) {
    auto* output = new (std::nothrow) WasapiOutput;
    if (!output) {
        error = "out of memory";
        return nullptr;
    }
    output->instance = &instance;
    output->bufferReady = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    output->opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (output->bufferReady && output->opened)
        output->renderThread = CreateThread(nullptr, 0, renderLoop, output, 0, nullptr);
    if (!output->renderThread) {
        error = "the audio thread could not be started";
        closeWasapiOutput(output);
        return nullptr;
    }
    SetThreadPriority(output->renderThread, THREAD_PRIORITY_TIME_CRITICAL);
    // The thread signals `opened` either way; should it end without, it failed.
    const HANDLE either[] = {output->opened, output->renderThread};
    WaitForMultipleObjects(2, either, FALSE, INFINITE);
    if (WaitForSingleObject(output->opened, 0) != WAIT_OBJECT_0 || output->failure) {
        error = output->failure ? output->failure : "the audio thread ended at its start";
        closeWasapiOutput(output);
        return nullptr;
    }
    return output;
}

bool wasapiOutputLost(const WasapiOutput* output) {
    return output->lost.load();
}

void closeWasapiOutput(WasapiOutput* output) {
    if (!output) return;
    output->stopping.store(true);
    if (output->renderThread) {
        SetEvent(output->bufferReady);
        WaitForSingleObject(output->renderThread, INFINITE);
        CloseHandle(output->renderThread);
    }
    if (output->bufferReady) CloseHandle(output->bufferReady);
    if (output->opened) CloseHandle(output->opened);
    delete output;
}

} // namespace t815
