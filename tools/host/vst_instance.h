// A VST 2.4 plug-in as the host tools drive it: its record, the host context
// the callback answers from, the MIDI queued for the next block, the audio
// buffers, and the editor. The calls are the ones offline hosts make, in
// their order (effOpen, rate, block size; resume, start; effProcessEvents
// before each audio call; stop, suspend; effClose).
#pragma once

#include "host_callback.h"
#include "host_window.h"
#include "vst2_abi.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct VstInstance {
    AEffect* effect = nullptr;
    bool ownsEffect = true; // false: the caller opened the effect and closes it
    HostContext host;
    std::vector<VstMidiEvent> events;   // queued for the next block, within their capacity
    std::vector<VstIntPtr> listStorage; // a VstEvents with room for every queued event
    std::vector<float> samples;         // every channel's block, inputs first
    std::vector<float*> inputs, outputs;
    int maxFrames = 0;
    bool active = false;
    bool editorOpen = false;
};

// effOpen, then the sample rate and block size (also given to the callback).
void openVstEffect(AEffect* effect, HostContext& host, double sampleRate, int blockSize);
void setVstAudioSettings(VstInstance& vst, double sampleRate, int blockSize);

// Resume (effMainsChanged 1) with buffers for every declared channel, at
// least two each way (plug-ins touch more than they declare); suspend.
void activateVst(VstInstance& vst);
void deactivateVst(VstInstance& vst);

void reserveVstEvents(VstInstance& vst, std::size_t count);
bool queueVstMidi(VstInstance& vst, int frame, const std::uint8_t* bytes, int size);

// effProcessEvents with the queued MIDI when there is any, then the audio
// entry (processReplacing, else the accumulating one) into zeroed buffers.
void processVst(VstInstance& vst, int frames);

// A string the plug-in writes into a zeroed 256-byte buffer, terminated
// whatever it wrote.
std::string vstString(AEffect* effect, VstInt32 opcode, VstInt32 index);

// The plug-in's state as a bank chunk, where it keeps one (effFlagsProgramChunks).
bool saveVstChunk(VstInstance& vst, std::vector<std::uint8_t>& bytes, std::string& error);
bool loadVstChunk(VstInstance& vst, const std::vector<std::uint8_t>& bytes, std::string& error);

bool createVstEditor(VstInstance& vst, int& width, int& height, std::string& error);
bool showVstEditor(VstInstance& vst, HostWindow& window, std::string& error);
void destroyVstEditor(VstInstance& vst);
