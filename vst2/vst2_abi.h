// The VST 2.4 plug-in interface as the binary contract between a host and an
// instrument library: the plug-in record AEffect with its entry points, the
// host callback, MIDI event lists, the editor rectangle, and the opcode, flag
// and size constants, all under the names the interface gives them. Layouts
// are checked against the sizes and offsets real hosts and plug-ins use on
// 32-bit and 64-bit targets.
#pragma once

#include <cstddef>
#include <cstdint>

// Every entry point of the interface is cdecl; on 32-bit Windows that has to
// be spelled out, elsewhere it is the only convention.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

typedef std::int16_t VstInt16;
typedef std::int32_t VstInt32;
typedef std::int64_t VstInt64;
// Dispatcher answers and `value` arguments carry pointers: `long` would be
// 32 bits on 64-bit Windows.
typedef std::intptr_t VstIntPtr;

enum : VstInt32 {
    kEffectMagic = 0x56737450, // 'VstP', most significant byte first
    kVstVersion = 2400,
};

struct AEffect;

typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value, void* ptr,
                                                      float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index,
                                                   float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// The exported `VSTPluginMain` (and its older alias `main`).
typedef AEffect*(VSTCALLBACK* PluginEntryProc)(audioMasterCallback audioMaster);

struct AEffect {
    VstInt32 magic; // kEffectMagic
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // deprecated accumulating entry
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags; // VstAEffectFlags
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities; // deprecated
    VstInt32 offQualities;  // deprecated
    float ioRatio;          // deprecated
    void* object;           // the plug-in's own instance
    void* user;             // free for the host
    VstInt32 uniqueID;      // four characters, most significant first
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1, // deprecated
    effFlagsHasVu = 1 << 2,   // deprecated
    effFlagsCanMono = 1 << 3, // deprecated
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,   // deprecated
    effFlagsExtHasBuffer = 1 << 11, // deprecated
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host to plug-in, through AEffect::dispatcher.
enum AEffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9, // deprecated
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,  // deprecated
    effEditMouse = 17, // deprecated
    effEditKey = 18,   // deprecated
    effEditIdle = 19,
    effEditTop = 20,   // deprecated
    effEditSleep = 21, // deprecated
    effIdentify = 22,  // deprecated
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28, // deprecated
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,   // deprecated
    effConnectInput = 31,  // deprecated
    effConnectOutput = 32, // deprecated
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,   // deprecated
    effGetDestinationBuffer = 37, // deprecated
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43, // deprecated
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46, // deprecated
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,            // deprecated
    effGetIcon = 54,         // deprecated
    effSetViewPosition = 55, // deprecated
    effGetParameterProperties = 56,
    effKeysRequired = 57, // deprecated
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Plug-in to host, through the audioMasterCallback.
enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4, // deprecated
    audioMasterWantMidi = 6,     // deprecated
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,                      // deprecated
    audioMasterTempoAt = 10,                     // deprecated
    audioMasterGetNumAutomatableParameters = 11, // deprecated
    audioMasterGetParameterQuantization = 12,    // deprecated
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14, // deprecated
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,         // deprecated
    audioMasterGetNextPlug = 21,             // deprecated
    audioMasterWillReplaceOrAccumulate = 22, // deprecated
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,         // deprecated
    audioMasterGetOutputSpeakerArrangement = 31, // deprecated
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36, // deprecated
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,  // deprecated
    audioMasterCloseWindow = 40, // deprecated
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,                   // deprecated
    audioMasterGetChunkFile = 48,               // deprecated
    audioMasterGetInputSpeakerArrangement = 49, // deprecated
};

// Buffer sizes the interface documents for strings the plug-in writes
// (terminating zero included).
enum VstStringConstants : VstInt32 {
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
    kVstMaxCategLabelLen = 24,
    kVstMaxFileNameLen = 100,
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
    kPlugCategMaxCount = 12,
};

enum VstProcessLevels : VstInt32 {
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4,
};

enum VstAutomationStates : VstInt32 {
    kVstAutomationUnsupported = 0,
    kVstAutomationOff = 1,
    kVstAutomationRead = 2,
    kVstAutomationWrite = 3,
    kVstAutomationReadWrite = 4,
};

enum VstEventTypes : VstInt32 {
    kVstMidiType = 1,
    kVstAudioType = 2,     // deprecated
    kVstVideoType = 3,     // deprecated
    kVstParameterType = 4, // deprecated
    kVstTriggerType = 5,   // deprecated
    kVstSysExType = 6,
};

enum VstMidiEventFlags : VstInt32 {
    kVstMidiEventIsRealtime = 1 << 0,
};

// The common head of every event; `byteSize` counts the bytes after it.
struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames; // offset of the event within the next audio block
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent {
    VstInt32 type; // kVstMidiType
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags; // VstMidiEventFlags
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4]; // status and up to two data bytes; the fourth is zero
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent {
    VstInt32 type; // kVstSysExType
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

// A list of events delivered with effProcessEvents. The pointer array really
// holds `numEvents` entries: hosts allocate the record with room for more
// than the two declared here.
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved; // pointer-sized: it fixes where `events` sits on 64-bit
    VstEvent* events[2];
};

struct ERect {
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

// Layouts that hosts and plug-ins built by other compilers rely on.
namespace vst2_abi_layout {
constexpr bool kIs64 = sizeof(void*) == 8;
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32-bit or 64-bit targets only");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE single and double");

static_assert(sizeof(AEffect) == (kIs64 ? 192 : 144), "AEffect size");
static_assert(offsetof(AEffect, dispatcher) == (kIs64 ? 8 : 4), "AEffect::dispatcher");
static_assert(offsetof(AEffect, numPrograms) == (kIs64 ? 40 : 20), "AEffect::numPrograms");
static_assert(offsetof(AEffect, flags) == (kIs64 ? 56 : 36), "AEffect::flags");
static_assert(offsetof(AEffect, resvd1) == (kIs64 ? 64 : 40), "AEffect::resvd1");
static_assert(offsetof(AEffect, ioRatio) == (kIs64 ? 92 : 60), "AEffect::ioRatio");
static_assert(offsetof(AEffect, object) == (kIs64 ? 96 : 64), "AEffect::object");
static_assert(offsetof(AEffect, uniqueID) == (kIs64 ? 112 : 72), "AEffect::uniqueID");
static_assert(offsetof(AEffect, processReplacing) == (kIs64 ? 120 : 80),
              "AEffect::processReplacing");
static_assert(offsetof(AEffect, processDoubleReplacing) == (kIs64 ? 128 : 84),
              "AEffect::processDoubleReplacing");
static_assert(offsetof(AEffect, future) == (kIs64 ? 136 : 88), "AEffect::future");

static_assert(sizeof(VstEvent) == 32, "VstEvent size");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8, "VstMidiEvent::deltaFrames");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent::midiData");
static_assert(sizeof(VstMidiSysexEvent) == (kIs64 ? 48 : 32), "VstMidiSysexEvent size");
static_assert(offsetof(VstEvents, reserved) == (kIs64 ? 8 : 4), "VstEvents::reserved");
static_assert(offsetof(VstEvents, events) == (kIs64 ? 16 : 8), "VstEvents::events");
static_assert(sizeof(VstEvents) == (kIs64 ? 32 : 16), "VstEvents size");
static_assert(sizeof(ERect) == 8, "ERect size");
} // namespace vst2_abi_layout
