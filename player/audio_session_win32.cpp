// The player's audio and MIDI on Windows. The output is WASAPI's, or
// waveOut's where WASAPI cannot be opened (or the one --audio names); MIDI
// comes from every WinMM input device by midiIn, whose callbacks queue each
// message (they never wait for the render thread).
#include "audio_session.h"

#include "instrument_operations.h"
#include "midi_intake.h"
#include "platform_io.h"
#include "windows_audio_output.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <new>

namespace t815 {

struct AudioSession {
    PluginInstance* instance = nullptr;
    WasapiOutput* wasapi = nullptr;
    WaveOutOutput* waveOut = nullptr; // only where WASAPI is not playing
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

// WASAPI unless --audio says waveOut; waveOut also where WASAPI was not
// asked for by name and does not open. The error is the last system's.
bool openOutput(AudioSession& session, AudioSystem system, std::string& error) {
    if (system != AudioSystem::waveOut) {
        session.wasapi = openWasapiOutput(*session.instance, error);
        if (session.wasapi || system == AudioSystem::wasapi) return session.wasapi != nullptr;
    }
    session.waveOut = openWaveOutOutput(*session.instance, error);
    return session.waveOut != nullptr;
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
    if (!openOutput(*session, options.audio, error)) {
        delete session;
        return nullptr;
    }
    openMidiInputs(*session, options);
    return session;
}

bool audioLost(AudioSession* session, std::string& why) {
    if (!(session->wasapi ? wasapiOutputLost(session->wasapi)
                          : waveOutOutputLost(session->waveOut)))
        return false;
    why = "the audio device went away";
    return true;
}

bool stopAudio(AudioSession* session) {
    if (!session) return true;
    for (HMIDIIN input : session->midiInputs) {
        midiInStop(input);
        midiInClose(input);
    }
    closeWasapiOutput(session->wasapi);
    closeWaveOutOutput(session->waveOut);
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
