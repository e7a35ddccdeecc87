// What every check shares: the loaded plug-in library and the host callback,
// strictness and seed, the report, and the host's side of a plug-in's life:
// opening and closing instances, strings read into guarded buffers, MIDI
// lists, audio blocks and the statistics that judge them.
#pragma once

#include "check_report.h"
#include "host_callback.h"
#include "plugin_library.h"
#include "vst2_abi.h"

#include <cstdint>
#include <string>
#include <vector>

struct Validation {
    PluginLibrary library; // VST 2.4; a CLAP plug-in is loaded afresh per instance
    std::string pluginPath;
    std::string pluginId; // the CLAP plug-in of a factory that holds several
    HostContext host;
    int strictness = 5;
    std::uint64_t seed = 0;
    Report report;
};

// A reproducible stream of numbers per check: the seed mixed with the
// check's name, so one check repeats alone with --only.
struct Random {
    std::uint64_t state = 0;
};

Random randomFor(const Validation& validation, const char* check);
std::uint32_t nextRandom(Random& random);
int randomBelow(Random& random, int count);
float randomUnit(Random& random); // 0..1 inclusive

// Creates an instance and brings it to where hosts play it: effOpen, rate,
// block size, resumed. Null with `error` set when the entry point refuses.
AEffect* openInstance(Validation& validation, double sampleRate, VstInt32 blockSize,
                      std::string& error);
AEffect* createInstance(Validation& validation, std::string& error); // no opcodes sent
void closeInstance(AEffect* effect);                                 // suspend, effClose

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);

// A string answer read into a buffer of the documented size followed by
// guard bytes.
struct StringAnswer {
    VstIntPtr result = 0;
    bool written = false;    // the plug-in wrote anything
    bool terminated = false; // a zero within the limit
    bool guardTouched = false;
    std::size_t length = 0; // bytes before the zero (or written, if unterminated)
    std::string text;
};

StringAnswer askString(AEffect* effect, VstInt32 opcode, VstInt32 index, std::size_t limit);

// The problem with an answer as a sentence, or empty when it is sound.
std::string stringProblem(const StringAnswer& answer, const std::string& what, std::size_t limit);

// A MIDI message due at a frame of a render.
struct NoteEvent {
    long long frame = 0;
    unsigned char status = 0x90;
    unsigned char data1 = 60;
    unsigned char data2 = 100;
};

// Notes starting and stopping at multiples of `grid` frames within `frames`.
std::vector<NoteEvent> randomNotes(Random& random, long long frames, long long grid);

// Delivers messages with effProcessEvents; the list is built before the
// call so that nothing is allocated while the plug-in handles it.
struct MidiList {
    std::vector<VstMidiEvent> events;
    std::vector<unsigned char> storage; // the VstEvents record with its pointer array
};

void fillMidiList(MidiList& list, const NoteEvent* first, std::size_t count, long long blockStart);
void sendMidiList(AEffect* effect, MidiList& list);
void sendMidi(AEffect* effect, unsigned char status, unsigned char data1, unsigned char data2);

// What the judged output held.
struct AudioStats {
    long long frames = 0;
    long long nonFinite = 0;
    long long subnormal = 0;
    long long firstBadFrame = -1;
    float peak = 0.0f;
};

constexpr float kPeakLimit = 10.0f; // +20 dBFS: beyond any sane instrument's output

// Output buffers for every channel a plug-in declares, and silent inputs.
struct AudioBuffers {
    std::vector<std::vector<float>> outputs;
    std::vector<std::vector<float>> inputs;
    std::vector<float*> outputPointers;
    std::vector<float*> inputPointers;
};

void prepareBuffers(AudioBuffers& buffers, const AEffect* effect, VstInt32 frames);

// One call of the audio callback (processReplacing, else the accumulating
// process into zeroed outputs).
void processBlock(AEffect* effect, AudioBuffers& buffers, VstInt32 frames);

void addToStats(AudioStats& stats, const AudioBuffers& buffers, VstInt32 frames);
void addChannelsToStats(AudioStats& stats, const float* const* channels, int channelCount,
                        int frames);

// Empty when the output is finite, free of subnormals and within the limit.
std::string audioProblem(const AudioStats& stats);

// Renders `frames` frames in blocks of `blockSize` with the notes delivered
// in the block they fall into (their offset as deltaFrames); `capture`, when
// given, receives every channel's samples, one channel after the other.
AudioStats renderNotes(AEffect* effect, const std::vector<NoteEvent>& notes, long long frames,
                       VstInt32 blockSize, std::vector<float>* capture = nullptr);

// A note played for a quarter second at 44.1 kHz, then released: the output
// judged, and its peak telling whether the plug-in still sounds.
AudioStats playTestNote(AEffect* effect);

std::string describeFloat(float value);

// Each family of checks; they run from main in this order.
void checkIdentity(Validation& validation);
void checkPrograms(Validation& validation);
void checkParameters(Validation& validation);
void checkLifecycle(Validation& validation);
void checkEditor(Validation& validation);
void checkAudio(Validation& validation);
void checkAutomation(Validation& validation);
void checkRealtime(Validation& validation);
void checkThreads(Validation& validation);
void checkInstances(Validation& validation);
