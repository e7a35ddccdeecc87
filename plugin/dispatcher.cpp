// The dispatcher: everything the host asks apart from audio and parameter
// values. It keeps no state; unknown opcodes answer 0. Strings are copied
// whole with their terminating zero, as hosts pass no buffer length; program
// names always fill the 24 bytes a host allots for them, zero-padded.
#include "dispatcher.h"

#include "editor_link.h"
#include "hand_off.h"
#include "midi_intake.h"
#include "panel_snapshot.h"
#include "parameters.h"
#include "plugin_facts.h"
#include "plugin_instance.h"
#include "program_names.h"
#include "program_selection.h"

#include <cstring>

namespace t815 {

namespace {

void writeProgramName(std::int32_t index, char* text) {
    // Every name is shorter than 24 bytes, so the copy ends in zeros.
    std::strncpy(text, programNamesEnglish[index], kProgramNameBytes);
}

template <std::size_t N> void writeWhole(const char (&text)[N], void* ptr) {
    std::memcpy(ptr, text, N);
}

std::int32_t selectedProgramIndex(const PluginInstance& instance) {
    return readInt(instance.hostSettings.currentProgramIndex);
}

void setSampleRate(PluginInstance& instance, float rate) {
    // Stored as given; rendering treats rates below 1000 Hz or not finite as 44100 Hz.
    submitChange(instance, {ChangeKind::sampleRate, 0, rate});
}

bool canDo(const char* ability) {
    return std::strcmp(ability, "receiveVstEvents") == 0 ||
           std::strcmp(ability, "receiveVstMidiEvent") == 0;
}

VstIntPtr editorOpcode(PluginInstance& instance, VstInt32 opcode, void* ptr) {
    if (!kPluginHasEditor) return 0;
    switch (opcode) {
    case effEditGetRect:
        if (!ptr) return 0;
        *static_cast<ERect**>(ptr) = &instance.editorRect;
        return 1;
    case effEditOpen:
        if (!ptr) return 0;
        // 0 when no window could be made: answering 1 would tell the host
        // there is a panel to show.
        return openEditor(instance, ptr) ? 1 : 0;
    case effEditIdle:
#ifndef _WIN32
        // X11 gives the panel no thread of its own: the host's idle calls
        // are where its events are handled and it is painted.
        idleEditor(instance);
#endif
        return 0;
    default: // effEditClose
        closeEditor(instance);
        return 1;
    }
}

VstIntPtr vendorSpecific(PluginInstance& instance, VstInt32 index, VstIntPtr value, void* ptr) {
#ifndef _WIN32
    if (index == kPanelSnapshotIndex) return snapshotPanel(instance, ptr, long(value)) ? 1 : 0;
#else
    (void)instance, (void)index, (void)value, (void)ptr;
#endif
    return 0;
}

VstIntPtr dispatchOpcode(PluginInstance* instance, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                         void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);

    switch (opcode) {
    case effClose:
        destroyPluginInstance(instance);
        return 1;
    case effSetProgram:
        // value, not index, carries the program; -1 and above 31 are ignored.
        if (isProgramIndex(value))
            selectProgramIndex(*instance, static_cast<std::int32_t>(value), false);
        return 1;
    case effGetProgram:
        return selectedProgramIndex(*instance);
    case effGetProgramName:
        if (text) writeProgramName(selectedProgramIndex(*instance), text);
        return 1;
    case effGetParamDisplay:
        if (text) writeParameterDisplay(*instance, index, text);
        return 1;
    case effGetParamName:
        if (text) writeParameterName(index, text);
        return 1;
    case effSetSampleRate:
        setSampleRate(*instance, opt);
        return 1;
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
        return editorOpcode(*instance, opcode, ptr);
    case effVendorSpecific:
        return vendorSpecific(*instance, index, value, ptr);
    case effProcessEvents:
        processMidiEvents(*instance, static_cast<const VstEvents*>(ptr));
        return 1;
    case effGetProgramNameIndexed:
        if (!text || !isProgramIndex(index)) return 0;
        writeProgramName(index, text);
        return 1;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effGetEffectName:
        if (text) writeWhole(kPluginEffectName, text);
        return 1;
    case effGetVendorString:
        if (text) writeWhole(kPluginVendorName, text);
        return 1;
    case effGetProductString:
        if (text) writeWhole(kPluginProductName, text);
        return 1;
    case effCanDo:
        return text && canDo(text) ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt) {
    PluginInstance* instance = instanceOf(effect);
    if (!instance) return 0;
    try {
        return dispatchOpcode(instance, opcode, index, value, ptr, opt);
    } catch (...) { // nothing may unwind into the host
        return 0;
    }
}

} // namespace t815
