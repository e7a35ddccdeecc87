// The player's audio and MIDI on Windows, through WinMM: the default audio
// device by waveOut (stereo 32-bit float at 44.1 kHz, four buffers of 512
// frames queued, about 46 ms), filled by a render thread of ours that is the
// instrument's audio thread, and MIDI from every input device by midiIn,
// whose callbacks queue each message (they never wait for the render
// thread). waveOut rather than WASAPI: it is present on every Windows and
// under Wine, at the cost of some latency.
#include "audio_session.h"

#include "instrument_operations.h"
#include "instrument_render.h"
#include "midi_intake.h"
#include "platform_io.h"

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

struct AudioSession {
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
    std::vector<HMIDIIN> midiInputs;
};

namespace {

std::string deviceName(UINT device) {
    MIDIINCAPSW caps{};
    if (midiInGetDevCapsW(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return std::string();
    return utf8FromWide(caps.szPname);
}

void CALLBACK midiArrived(HMIDIIN, UINT message, DWORD_PTR argument, DWORD_PTR packed, DWORD_PTR) {
    if (message != MIM_DATA) return;
    const auto status = static_cast<std::uint8_t>(packed & 0xFF);
    if (status < 0x80 || status >= 0xF0) return; // channel messages only
    const MidiMessage midi{{status, static_cast<std::uint8_t>((packed >> 8) & 0x7F),
                            static_cast<std::uint8_t>((packed >> 16) & 0x7F)}};
    receiveMidi(*reinterpret_cast<AudioSession*>(argument)->instance, &midi, 1);
}

void openMidiInputs(AudioSession& session, const PlayerOptions& options) {
    if (!options.connect) return;
    const UINT count = midiInGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        bool wanted = options.midiSources.empty();
        for (const std::string& source : options.midiSources)
            wanted = wanted || source == deviceName(device);
        HMIDIIN input = nullptr;
        if (!wanted || midiInOpen(&input, device, reinterpret_cast<DWORD_PTR>(midiArrived),
                                  reinterpret_cast<DWORD_PTR>(&session),
                                  CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
            continue;
        midiInStart(input);
        session.midiInputs.push_back(input);
    }
}

// Renders buffer i and hands it to the device; false when the device is gone.
bool fillBuffer(AudioSession& session, int i) {
    renderInstrumentBlock(*session.instance, session.left, session.right, kFrames);
    float* interleaved = session.samples[i];
    for (int frame = 0; frame < kFrames; ++frame) {
        interleaved[2 * frame] = session.left[frame];
        interleaved[2 * frame + 1] = session.right[frame];
    }
    return waveOutWrite(session.output, &session.headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

DWORD WINAPI renderLoop(void* argument) {
    AudioSession& session = *static_cast<AudioSession*>(argument);
    for (int i = 0; i < kBuffers; ++i)
        if (!fillBuffer(session, i)) session.lost.store(true);
    while (!session.stopping.load() && !session.lost.load()) {
        WaitForSingleObject(session.bufferDone, 100);
        for (int i = 0; i < kBuffers; ++i)
            if ((session.headers[i].dwFlags & WHDR_DONE) && !session.stopping.load() &&
                !fillBuffer(session, i))
                session.lost.store(true);
    }
    return 0;
}

} // namespace

AudioSession* startAudio(PluginInstance& instance, const PlayerOptions& options,
                         std::string& error) {
    auto* session = new (std::nothrow) AudioSession;
    if (!session) {
        error = "out of memory";
        return nullptr;
    }
    session->instance = &instance;
    session->bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 32;
    format.nBlockAlign = 8;
    format.nAvgBytesPerSec = kRate * 8;
    if (waveOutGetNumDevs() == 0 || !session->bufferDone ||
        waveOutOpen(&session->output, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(session->bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        session->output = nullptr;
        error = "no audio output device could be opened";
        stopAudio(session);
        return nullptr;
    }
    setSampleRate(instance, static_cast<float>(kRate));
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& header = session->headers[i];
        header.lpData = reinterpret_cast<LPSTR>(session->samples[i]);
        header.dwBufferLength = sizeof session->samples[i];
        waveOutPrepareHeader(session->output, &header, sizeof header);
    }
    openMidiInputs(*session, options);
    session->renderThread = CreateThread(nullptr, 0, renderLoop, session, 0, nullptr);
    if (!session->renderThread) {
        error = "the audio thread could not be started";
        stopAudio(session);
        return nullptr;
    }
    SetThreadPriority(session->renderThread, THREAD_PRIORITY_TIME_CRITICAL);
    return session;
}

bool audioLost(AudioSession* session, std::string& why) {
    if (!session->lost.load()) return false;
    why = "the audio device went away";
    return true;
}

bool stopAudio(AudioSession* session) {
    if (!session) return true;
    for (HMIDIIN input : session->midiInputs) {
        midiInStop(input);
        midiInClose(input);
    }
    session->stopping.store(true);
    if (session->renderThread) {
        SetEvent(session->bufferDone);
        WaitForSingleObject(session->renderThread, INFINITE);
        CloseHandle(session->renderThread);
    }
    if (session->output) {
        waveOutReset(session->output);
        for (WAVEHDR& header : session->headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(session->output, &header, sizeof header);
        waveOutClose(session->output);
    }
    if (session->bufferDone) CloseHandle(session->bufferDone);
    delete session;
    return true;
}

bool listMidiSources(std::vector<std::string>& names, std::string&) {
    const UINT count = midiInGetNumDevs();
    for (UINT device = 0; device < count; ++device)
        names.push_back(deviceName(device));
    return true;
}

} // namespace t815
