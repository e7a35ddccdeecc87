// The VST 2.4 side of the host tools' plug-in interface.
#include "vst_instance.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Far more than any string size the interface documents, so that plug-ins
// writing past their documented limit stay inside the buffer.
constexpr std::size_t kStringBufferBytes = 256;
// Larger editors than this are taken for a broken rectangle.
constexpr int kMaxEditorSide = 8192;

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

bool usesReplacing(const AEffect* effect) {
    if (effect->processReplacing == nullptr) return false;
    return (effect->flags & effFlagsCanReplacing) != 0 || effect->process == nullptr;
}

VstEvents* listOf(VstInstance& vst) {
    return reinterpret_cast<VstEvents*>(vst.listStorage.data());
}

} // namespace

void openVstEffect(AEffect* effect, HostContext& host, double sampleRate, int blockSize) {
    host.sampleRate = sampleRate;
    host.blockSize = blockSize;
    dispatch(effect, effOpen);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effect, effSetBlockSize, 0, blockSize);
}

void setVstAudioSettings(VstInstance& vst, double sampleRate, int blockSize) {
    vst.host.sampleRate = sampleRate;
    vst.host.blockSize = blockSize;
    dispatch(vst.effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(vst.effect, effSetBlockSize, 0, blockSize);
}

void activateVst(VstInstance& vst) {
    const AEffect* effect = vst.effect;
    const std::size_t inputCount = std::size_t(std::max(effect->numInputs, 2));
    const std::size_t outputCount = std::size_t(std::max(effect->numOutputs, 2));
    const std::size_t frames = std::size_t(std::max(vst.maxFrames, 1));
    vst.samples.assign((inputCount + outputCount) * frames, 0.0f);
    vst.inputs.clear();
    vst.outputs.clear();
    for (std::size_t i = 0; i < inputCount; ++i)
        vst.inputs.push_back(&vst.samples[i * frames]);
    for (std::size_t i = 0; i < outputCount; ++i)
        vst.outputs.push_back(&vst.samples[(inputCount + i) * frames]);
    dispatch(vst.effect, effMainsChanged, 0, 1);
    vst.active = true;
}

void deactivateVst(VstInstance& vst) {
    dispatch(vst.effect, effMainsChanged, 0, 0);
    vst.active = false;
}

void reserveVstEvents(VstInstance& vst, std::size_t count) {
    count = std::max<std::size_t>(count, 2); // VstEvents declares two pointers
    vst.events.reserve(count);
    const std::size_t bytes = offsetof(VstEvents, events) + count * sizeof(VstEvent*);
    vst.listStorage.assign((bytes + sizeof(VstIntPtr) - 1) / sizeof(VstIntPtr), 0);
    new (vst.listStorage.data()) VstEvents{};
}

bool queueVstMidi(VstInstance& vst, int frame, const std::uint8_t* bytes, int size) {
    if (bytes == nullptr || size < 1 || size > 3 || frame < 0 ||
        vst.events.size() >= vst.events.capacity())
        return false;
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = frame;
    for (int i = 0; i < size; ++i)
        event.midiData[i] = static_cast<char>(bytes[i]);
    vst.events.push_back(event);
    return true;
}

void processVst(VstInstance& vst, int frames) {
    AEffect* effect = vst.effect;
    if (!vst.events.empty()) {
        VstEvents* list = listOf(vst);
        list->numEvents = static_cast<VstInt32>(vst.events.size());
        for (std::size_t i = 0; i < vst.events.size(); ++i)
            list->events[i] = reinterpret_cast<VstEvent*>(&vst.events[i]);
        dispatch(effect, effProcessEvents, 0, 0, list);
    }
    // Zeroed every block: the accumulating entry adds to the outputs, and a
    // plug-in may scribble on its inputs.
    std::fill(vst.samples.begin(), vst.samples.end(), 0.0f);
    if (usesReplacing(effect))
        effect->processReplacing(effect, vst.inputs.data(), vst.outputs.data(), frames);
    else
        effect->process(effect, vst.inputs.data(), vst.outputs.data(), frames);
    vst.events.clear();
}

std::string vstString(AEffect* effect, VstInt32 opcode, VstInt32 index) {
    char buffer[kStringBufferBytes] = {};
    dispatch(effect, opcode, index, 0, buffer);
    buffer[kStringBufferBytes - 1] = '\0';
    return buffer;
}

bool saveVstChunk(VstInstance& vst, std::vector<std::uint8_t>& bytes, std::string& error) {
    if (!(vst.effect->flags & effFlagsProgramChunks)) {
        error = "the plug-in keeps no state chunk";
        return false;
    }
    void* data = nullptr;
    const VstIntPtr size = dispatch(vst.effect, effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) {
        error = "the plug-in gave no state chunk (effGetChunk)";
        return false;
    }
    const std::uint8_t* from = static_cast<const std::uint8_t*>(data);
    bytes.assign(from, from + size);
    return true;
}

bool loadVstChunk(VstInstance& vst, const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (!(vst.effect->flags & effFlagsProgramChunks)) {
        error = "the plug-in keeps no state chunk";
        return false;
    }
    std::vector<std::uint8_t> copy(bytes); // the plug-in takes a non-const pointer
    if (dispatch(vst.effect, effSetChunk, 0, VstIntPtr(copy.size()), copy.data()) == 0) {
        error = "the plug-in refused the state chunk (effSetChunk)";
        return false;
    }
    return true;
}

bool createVstEditor(VstInstance& vst, int& width, int& height, std::string& error) {
    if (!(vst.effect->flags & effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return false;
    }
    ERect* rect = nullptr;
    dispatch(vst.effect, effEditGetRect, 0, 0, &rect);
    width = rect ? rect->right - rect->left : 0;
    height = rect ? rect->bottom - rect->top : 0;
    if (width <= 0 || height <= 0 || width > kMaxEditorSide || height > kMaxEditorSide) {
        error = "the plug-in's editor gave no usable size (effEditGetRect)";
        return false;
    }
    return true;
}

bool showVstEditor(VstInstance& vst, HostWindow& window, std::string& error) {
    if (dispatch(vst.effect, effEditOpen, 0, 0, window.parent) == 0) {
        error = "the plug-in's editor did not open (effEditOpen answered 0)";
        return false;
    }
    vst.editorOpen = true;
    return true;
}

void destroyVstEditor(VstInstance& vst) {
    if (vst.editorOpen) dispatch(vst.effect, effEditClose);
    vst.editorOpen = false;
}
