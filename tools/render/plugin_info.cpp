// Printing of the --info report.
#include "plugin_info.h"

#include <algorithm>

namespace {

// More programs or parameters than this are listed only up to this count.
constexpr VstInt32 kMaxListed = 4096;

// Far more than any string size the interface documents, so that plug-ins
// writing past their documented limit stay inside the buffer.
constexpr std::size_t kStringBufferBytes = 256;

void printFlags(VstInt32 flags, std::FILE* out) {
    static const struct {
        VstInt32 flag;
        const char* name;
    } kFlags[] = {
        {effFlagsHasEditor, "editor"},          {effFlagsCanReplacing, "replacing"},
        {effFlagsProgramChunks, "chunks"},      {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "silent-stop"}, {effFlagsCanDoubleReplacing, "double"},
    };
    std::fprintf(out, "flags:       0x%08X", static_cast<unsigned>(flags));
    for (const auto& known : kFlags)
        if (flags & known.flag) std::fprintf(out, " %s", known.name);
    std::fprintf(out, "\n");
}

const char* categoryName(VstIntPtr category) {
    static const char* const kNames[] = {"unknown",     "effect",      "synth",   "analysis",
                                         "mastering",   "spatializer", "room fx", "surround fx",
                                         "restoration", "offline",     "shell",   "generator"};
    return category >= 0 && category < kPlugCategMaxCount ? kNames[category] : "invalid";
}

} // namespace

std::string uniqueIdText(VstInt32 uniqueID) {
    std::string text;
    const std::uint32_t bits = static_cast<std::uint32_t>(uniqueID);
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char byte = static_cast<unsigned char>(bits >> shift);
        text += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '?';
    }
    return text;
}

std::string askString(AEffect* effect, VstInt32 opcode, VstInt32 index) {
    char buffer[kStringBufferBytes] = {};
    effect->dispatcher(effect, opcode, index, 0, buffer, 0.0f);
    buffer[kStringBufferBytes - 1] = '\0';
    return buffer;
}

void printPluginInfo(AEffect* effect, const char* entryName, std::FILE* out) {
    std::fprintf(out, "entry point: %s\n", entryName ? entryName : "?");
    std::fprintf(out, "effect:      %s\n", askString(effect, effGetEffectName, 0).c_str());
    std::fprintf(out, "vendor:      %s\n", askString(effect, effGetVendorString, 0).c_str());
    std::fprintf(out, "product:     %s\n", askString(effect, effGetProductString, 0).c_str());
    std::fprintf(out, "vendor ver.: %lld\n",
                 static_cast<long long>(
                     effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f)));
    std::fprintf(out, "unique ID:   '%s' (0x%08X)\n", uniqueIdText(effect->uniqueID).c_str(),
                 static_cast<unsigned>(effect->uniqueID));
    std::fprintf(out, "version:     %d\n", effect->version);
    std::fprintf(
        out, "VST version: %lld\n",
        static_cast<long long>(effect->dispatcher(effect, effGetVstVersion, 0, 0, nullptr, 0.0f)));
    const VstIntPtr category = effect->dispatcher(effect, effGetPlugCategory, 0, 0, nullptr, 0.0f);
    std::fprintf(out, "category:    %lld (%s)\n", static_cast<long long>(category),
                 categoryName(category));
    printFlags(effect->flags, out);
    std::fprintf(out, "inputs:      %d\n", effect->numInputs);
    std::fprintf(out, "outputs:     %d\n", effect->numOutputs);
    std::fprintf(out, "delay:       %d\n", effect->initialDelay);
    char midiAbility[] = "receiveVstMidiEvent";
    std::fprintf(out, "MIDI input:  %s\n",
                 effect->dispatcher(effect, effCanDo, 0, 0, midiAbility, 0.0f) == 1 ? "yes" : "no");

    const VstInt32 programs = std::clamp<VstInt32>(effect->numPrograms, 0, kMaxListed);
    const VstIntPtr current = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
    std::fprintf(out, "programs:    %d (current %lld)\n", effect->numPrograms,
                 static_cast<long long>(current));
    for (VstInt32 i = 0; i < programs; ++i) {
        char name[kStringBufferBytes] = {};
        const VstIntPtr answered =
            effect->dispatcher(effect, effGetProgramNameIndexed, i, 0, name, 0.0f);
        name[kStringBufferBytes - 1] = '\0';
        std::fprintf(out, "  %4d  %s\n", i, (answered || name[0]) ? name : "(no name given)");
    }

    const VstInt32 parameters = std::clamp<VstInt32>(effect->numParams, 0, kMaxListed);
    std::fprintf(out, "parameters:  %d\n", effect->numParams);
    for (VstInt32 i = 0; i < parameters; ++i) {
        const float value = effect->getParameter ? effect->getParameter(effect, i) : 0.0f;
        const std::string name = askString(effect, effGetParamName, i);
        const std::string display = askString(effect, effGetParamDisplay, i);
        const std::string label = askString(effect, effGetParamLabel, i);
        std::fprintf(out, "  %4d  %-24s %-12s value %.6f\n", i, name.c_str(),
                     (display + (label.empty() ? "" : " " + label)).c_str(),
                     static_cast<double>(value));
    }
}
