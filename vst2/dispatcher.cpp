// The dispatcher: everything the host asks apart from audio and parameter
// values. It keeps no state; unknown opcodes answer 0. Strings are copied
// whole with their terminating zero, as hosts pass no buffer length; program
// names always fill the 24 bytes a host allots for them, zero-padded.
#include "dispatcher.h"

#include "instrument_operations.h"
#include "midi_events.h"
#include "panel_editor.h"
#include "panel_snapshot.h"
#include "vst2_facts.h"
#include "vst2_plugin.h"

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

bool canDo(const char* ability) {
    return std::strcmp(ability, "receiveVstEvents") == 0 ||
           std::strcmp(ability, "receiveVstMidiEvent") == 0;
}

// The rectangle effEditGetRect hands out, at the editor's current size.
ERect& updatedEditorRect(PluginInstance& instance) {
    const PanelSize size = editorSize(instance);
    ERect& rect = vst2PluginOf(instance).editorRect;
    rect = {0, 0, static_cast<VstInt16>(size.height), static_cast<VstInt16>(size.width)};
    return rect;
}

} // namespace

void askHostToFollowEditor(PluginInstance& instance) {
    const ERect& rect = updatedEditorRect(instance);
    Vst2Plugin& plugin = vst2PluginOf(instance);
    if (!instance.editorWindow.load() || !plugin.hostCallback) return;
    char sizeWindow[] = "sizeWindow";
    if (plugin.hostCallback(&plugin.effect, audioMasterCanDo, 0, 0, sizeWindow, 0.0f) == 1)
        plugin.hostCallback(&plugin.effect, audioMasterSizeWindow, rect.right, rect.bottom, nullptr,
                            0.0f);
}

namespace {

// A host's scale for the panel ('PreS' with 'AeCs', the factor in opt). An
// open panel that changes size asks the host to follow.
VstIntPtr takeEditorScale(PluginInstance& instance, float factor) {
    const PanelSize before = editorSize(instance);
    if (!setEditorScale(instance, factor)) return 0;
    const PanelSize after = editorSize(instance);
    if (after.width != before.width || after.height != before.height)
        askHostToFollowEditor(instance);
    return 1;
}

VstIntPtr editorOpcode(PluginInstance& instance, VstInt32 opcode, void* ptr) {
    if (!kPluginHasEditor) return 0;
    switch (opcode) {
    case effEditGetRect:
        if (!ptr) return 0;
        *static_cast<ERect**>(ptr) = &updatedEditorRect(instance);
        return 1;
    case effEditOpen:
        if (!ptr) return 0;
        // 0 when no window could be made: answering 1 would tell the host
        // there is a panel to show.
        return openEditor(instance, ptr) ? 1 : 0;
    case effEditIdle:
        // Where the window system gives the panel no thread of its own
        // (X11), the host's idle calls handle its events and paint it.
        idleEditor(instance);
        return 0;
    default: // effEditClose
        closeEditor(instance);
        return 1;
    }
}

VstIntPtr vendorSpecific(PluginInstance& instance, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) {
    if (index == kPanelSnapshotIndex) return snapshotPanel(instance, ptr, long(value)) ? 1 : 0;
    if (kPluginHasEditor && index == kEditorScaleIndex && value == kEditorScaleValue)
        return takeEditorScale(instance, opt);
    return 0;
}

VstIntPtr dispatchOpcode(PluginInstance* instance, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                         void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);

    switch (opcode) {
    case effClose:
        destroyVst2Plugin(&vst2PluginOf(*instance));
        return 1;
    case effSetProgram:
        // value, not index, carries the program; -1 and above 31 are ignored.
        if (isProgramIndex(value))
            selectProgramIndex(*instance, static_cast<std::int32_t>(value), SelectSource::host);
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
        return vendorSpecific(*instance, index, value, ptr, opt);
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
