// Printing of the --info report.
#include "plugin_info.h"

#include <algorithm>

namespace {

// More programs or parameters than this are listed only up to this count.
constexpr VstInt32 kMaxListed = 4096;

// Far more than any string size the interface documents, so that plug-ins
// writing past their documented limit stay inside the buffer.
constexpr std::size_t kStringBufferBytes = 256;

// The extensions a CLAP plug-in may offer, as --info lists them.
const char* const kClapExtensionIds[] = {
    CLAP_EXT_PARAMS,       CLAP_EXT_STATE,   CLAP_EXT_AUDIO_PORTS,   CLAP_EXT_NOTE_PORTS,
    CLAP_EXT_GUI,          CLAP_EXT_LATENCY, CLAP_EXT_TIMER_SUPPORT, CLAP_EXT_POSIX_FD_SUPPORT,
    CLAP_EXT_THREAD_CHECK, CLAP_EXT_LOG,
};

const char* orEmpty(const char* text) {
    return text ? text : "";
}

std::string dialectNames(std::uint32_t dialects) {
    static const struct {
        std::uint32_t bit;
        const char* name;
    } kDialects[] = {{CLAP_NOTE_DIALECT_CLAP, "clap"},
                     {CLAP_NOTE_DIALECT_MIDI, "midi"},
                     {CLAP_NOTE_DIALECT_MIDI_MPE, "midi-mpe"},
                     {CLAP_NOTE_DIALECT_MIDI2, "midi2"}};
    std::string names;
    for (const auto& dialect : kDialects)
        if (dialects & dialect.bit) names += (names.empty() ? "" : " ") + std::string(dialect.name);
    return names.empty() ? "none" : names;
}

std::string parameterFlagNames(std::uint32_t flags) {
    static const struct {
        std::uint32_t bit;
        const char* name;
    } kFlags[] = {{CLAP_PARAM_IS_STEPPED, "stepped"},
                  {CLAP_PARAM_IS_PERIODIC, "periodic"},
                  {CLAP_PARAM_IS_HIDDEN, "hidden"},
                  {CLAP_PARAM_IS_READONLY, "read-only"},
                  {CLAP_PARAM_IS_BYPASS, "bypass"},
                  {CLAP_PARAM_IS_AUTOMATABLE, "automatable"},
                  {CLAP_PARAM_IS_MODULATABLE, "modulatable"},
                  {CLAP_PARAM_IS_ENUM, "enum"},
                  {CLAP_PARAM_REQUIRES_PROCESS, "requires-process"}};
    std::string names;
    for (const auto& flag : kFlags)
        if (flags & flag.bit) names += " " + std::string(flag.name);
    return names;
}

void printAudioPorts(const char* title, const std::vector<ClapAudioPort>& ports, std::FILE* out) {
    std::fprintf(out, "%-13s%zu\n", title, ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const ClapAudioPort& port = ports[i];
        std::fprintf(out, "  %4zu  id %-6u %-20s %u channel%s%s%s%s\n", i, port.id,
                     port.name.c_str(), port.channels, port.channels == 1 ? "" : "s",
                     port.type.empty() ? "" : (" " + port.type).c_str(),
                     (port.flags & CLAP_AUDIO_PORT_IS_MAIN) ? " main" : "",
                     (port.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS) ? " 64-bit" : "");
    }
}

std::string guiApis(const ClapInstance& clap) {
    const clap_plugin_gui* gui = clap.extensions.gui;
    if (!gui) return "none";
    std::string apis;
    for (const char* api : {CLAP_WINDOW_API_WIN32, CLAP_WINDOW_API_X11, CLAP_WINDOW_API_COCOA,
                            CLAP_WINDOW_API_WAYLAND})
        for (bool floating : {false, true})
            if (gui->is_api_supported(clap.plugin, api, floating))
                apis += (apis.empty() ? "" : ", ") + std::string(api) +
                        (floating ? " (floating)" : " (embedded)");
    return apis.empty() ? "no window system" : apis;
}

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
    return vstString(effect, opcode, index);
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

void printClapInfo(ClapInstance& clap, std::FILE* out) {
    const clap_plugin_descriptor* descriptor = clap.plugin->desc;
    const clap_version version = clap.entry->clap_version;
    std::fprintf(out, "format:      CLAP %u.%u.%u (entry clap_entry)\n", version.major,
                 version.minor, version.revision);
    if (descriptor) {
        std::fprintf(out, "plug-in:     %s\n", orEmpty(descriptor->name));
        std::fprintf(out, "id:          %s\n", orEmpty(descriptor->id));
        std::fprintf(out, "vendor:      %s\n", orEmpty(descriptor->vendor));
        std::fprintf(out, "version:     %s\n", orEmpty(descriptor->version));
        std::fprintf(out, "description: %s\n", orEmpty(descriptor->description));
        std::fprintf(out, "url:         %s\n", orEmpty(descriptor->url));
        std::fprintf(out, "features:   ");
        for (const char* const* feature = descriptor->features; feature && *feature; ++feature)
            std::fprintf(out, " %s", *feature);
        std::fprintf(out, "\n");
    }
    const std::uint32_t count = clap.factory->get_plugin_count(clap.factory);
    std::fprintf(out, "in library:  %u plug-in%s\n", count, count == 1 ? "" : "s");
    for (std::uint32_t i = 0; i < count && count > 1; ++i) {
        const clap_plugin_descriptor* other = clap.factory->get_plugin_descriptor(clap.factory, i);
        if (other)
            std::fprintf(out, "  %4u  %s (%s)\n", i, orEmpty(other->id), orEmpty(other->name));
    }

    printAudioPorts("audio in:", clap.audioInputs, out);
    printAudioPorts("audio out:", clap.audioOutputs, out);
    std::fprintf(out, "note in:     %zu\n", clap.noteInputs.size());
    for (std::size_t i = 0; i < clap.noteInputs.size(); ++i) {
        const ClapNotePort& port = clap.noteInputs[i];
        std::fprintf(out, "  %4zu  id %-6u %-20s dialects %s, preferred %s\n", i, port.id,
                     port.name.c_str(), dialectNames(port.supportedDialects).c_str(),
                     dialectNames(port.preferredDialect).c_str());
    }

    std::string error;
    if (clap.extensions.latency && activateClap(clap, error)) {
        std::fprintf(out, "latency:     %u samples\n", clap.extensions.latency->get(clap.plugin));
        deactivateClap(clap);
    } else {
        std::fprintf(out, "latency:     %s\n",
                     clap.extensions.latency ? "(would not activate)" : "none");
    }
    std::fprintf(out, "gui:         %s\n", guiApis(clap).c_str());
    std::fprintf(out, "extensions: ");
    for (const char* id : kClapExtensionIds)
        if (clap.plugin->get_extension(clap.plugin, id)) std::fprintf(out, " %s", id);
    std::fprintf(out, "\n");
    std::fprintf(out, "asks host:  ");
    {
        std::lock_guard<std::mutex> lock(clap.host.messageMutex);
        for (const std::string& id : clap.host.queriedExtensions)
            std::fprintf(out, " %s", id.c_str());
    }
    std::fprintf(out, "\n");

    std::fprintf(out, "parameters:  %zu\n", clap.parameters.size());
    for (std::size_t i = 0; i < clap.parameters.size(); ++i) {
        const clap_param_info& info = clap.parameters[i];
        double value = 0.0;
        const bool known = clapParameterValue(clap, i, value);
        const std::string shown = known ? clapParameterText(clap, i, value) : "";
        std::fprintf(out, "  %4zu  id %-6u %-24s %g .. %g, default %g, value %s%s%s\n", i, info.id,
                     info.name, info.min_value, info.max_value, info.default_value,
                     known ? std::to_string(value).c_str() : "?",
                     shown.empty() ? "" : (" (" + shown + ")").c_str(),
                     parameterFlagNames(info.flags).c_str());
    }
}

void printHostedPluginInfo(HostedPlugin& plugin, std::FILE* out) {
    if (plugin.format == PluginFormat::Clap && plugin.clap)
        printClapInfo(*plugin.clap, out);
    else if (plugin.vst)
        printPluginInfo(plugin.vst->effect, plugin.library.entryName, out);
}
