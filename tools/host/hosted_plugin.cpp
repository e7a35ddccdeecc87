// The format-free interface: each call handed to the format's instance.
#include "hosted_plugin.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t kDefaultEventCapacity = 1024;

bool isClap(const HostedPlugin& plugin) {
    return plugin.format == PluginFormat::Clap && plugin.clap != nullptr;
}

bool isVst(const HostedPlugin& plugin) {
    return plugin.format == PluginFormat::Vst2 && plugin.vst != nullptr &&
           plugin.vst->effect != nullptr;
}

// The first output port's channels (the main one), where the render goes.
int clapMainChannels(const ClapInstance& clap) {
    return clap.audioOutputs.empty() ? 0 : int(clap.audioOutputs.front().channels);
}

LoadStatus loadVst(HostedPlugin& plugin, const std::string& pluginId, std::string& error) {
    if (!pluginId.empty()) {
        error = "'" + plugin.path + "' is a VST 2.4 plug-in, which has no plug-in ids";
        return LoadStatus::NoSuchPlugin;
    }
    plugin.vst = std::make_unique<VstInstance>();
    VstInstance& vst = *plugin.vst;
    setHostContext(&vst.host);
    vst.effect = createPlugin(plugin.library, hostCallback, error);
    if (vst.effect == nullptr) {
        error = "'" + plugin.path + "': " + error;
        releaseHostContext(&vst.host);
        plugin.vst.reset();
        return LoadStatus::NotAPlugin;
    }
    vst.maxFrames = plugin.settings.maxBlockFrames;
    reserveVstEvents(vst, kDefaultEventCapacity);
    openVstEffect(vst.effect, vst.host, plugin.settings.sampleRate, plugin.settings.maxBlockFrames);
    return LoadStatus::Loaded;
}

LoadStatus loadClap(HostedPlugin& plugin, const std::string& pluginId, std::string& error) {
    plugin.clap = std::make_unique<ClapInstance>();
    ClapInstance& clap = *plugin.clap;
    clap.sampleRate = plugin.settings.sampleRate;
    clap.maxFrames = std::uint32_t(plugin.settings.maxBlockFrames);
    const LoadStatus status =
        createClapInstance(clap, plugin.library.clapEntry, plugin.path, pluginId, error);
    if (status != LoadStatus::Loaded) {
        error = "'" + plugin.path + "': " + error;
        plugin.clap.reset();
    }
    return status;
}

} // namespace

const char* formatName(PluginFormat format) {
    return format == PluginFormat::Clap ? "CLAP" : "VST 2.4";
}

LoadStatus loadHostedPlugin(HostedPlugin& plugin, const std::string& path,
                            const std::string& pluginId, const AudioSettings& settings,
                            std::string& error) {
    unloadHostedPlugin(plugin);
    if (!loadVstOrClapLibrary(plugin.library, path, error)) return LoadStatus::NotAPlugin;
    plugin.format = plugin.library.format;
    plugin.path = path;
    plugin.settings = settings;
    const LoadStatus status = plugin.format == PluginFormat::Clap
                                  ? loadClap(plugin, pluginId, error)
                                  : loadVst(plugin, pluginId, error);
    if (status != LoadStatus::Loaded) unloadPluginLibrary(plugin.library);
    return status;
}

void unloadHostedPlugin(HostedPlugin& plugin) {
    if (isVst(plugin)) {
        VstInstance& vst = *plugin.vst;
        destroyVstEditor(vst);
        if (vst.ownsEffect) {
            if (vst.active) deactivateVst(vst);
            vst.effect->dispatcher(vst.effect, effClose, 0, 0, nullptr, 0.0f);
            releaseHostContext(&vst.host);
        }
    }
    if (plugin.clap) destroyClapInstance(*plugin.clap);
    plugin.vst.reset();
    plugin.clap.reset();
    unloadPluginLibrary(plugin.library);
    plugin = HostedPlugin{};
}

void adoptVstEffect(HostedPlugin& plugin, AEffect* effect, int maxBlockFrames) {
    plugin = HostedPlugin{};
    plugin.format = PluginFormat::Vst2;
    plugin.settings.maxBlockFrames = maxBlockFrames;
    plugin.vst = std::make_unique<VstInstance>();
    plugin.vst->effect = effect;
    plugin.vst->ownsEffect = false;
    plugin.vst->maxFrames = maxBlockFrames;
    reserveVstEvents(*plugin.vst, kDefaultEventCapacity);
}

bool changeAudioSettings(HostedPlugin& plugin, const AudioSettings& settings) {
    if ((isVst(plugin) && plugin.vst->active) || (isClap(plugin) && plugin.clap->active))
        return false;
    plugin.settings = settings;
    if (isVst(plugin)) {
        plugin.vst->maxFrames = settings.maxBlockFrames;
        setVstAudioSettings(*plugin.vst, settings.sampleRate, settings.maxBlockFrames);
    } else if (isClap(plugin)) {
        plugin.clap->sampleRate = settings.sampleRate;
        plugin.clap->maxFrames = std::uint32_t(settings.maxBlockFrames);
    }
    return true;
}

bool activatePlugin(HostedPlugin& plugin, std::string& error) {
    if (isVst(plugin)) {
        activateVst(*plugin.vst);
        return true;
    }
    return isClap(plugin) && activateClap(*plugin.clap, error);
}

void deactivatePlugin(HostedPlugin& plugin) {
    if (isVst(plugin) && plugin.vst->active) deactivateVst(*plugin.vst);
    if (isClap(plugin)) deactivateClap(*plugin.clap);
}

bool startProcessing(HostedPlugin& plugin, std::string& error) {
    if (isVst(plugin)) {
        plugin.vst->effect->dispatcher(plugin.vst->effect, effStartProcess, 0, 0, nullptr, 0.0f);
        return true;
    }
    return isClap(plugin) && startClapProcessing(*plugin.clap, error);
}

void stopProcessing(HostedPlugin& plugin) {
    if (isVst(plugin))
        plugin.vst->effect->dispatcher(plugin.vst->effect, effStopProcess, 0, 0, nullptr, 0.0f);
    if (isClap(plugin)) stopClapProcessing(*plugin.clap);
}

void reserveEvents(HostedPlugin& plugin, std::size_t count) {
    if (isVst(plugin)) reserveVstEvents(*plugin.vst, count);
    if (isClap(plugin)) initClapInputList(plugin.clap->input, count);
}

bool queueMidi(HostedPlugin& plugin, int frame, const std::uint8_t* bytes, int size) {
    if (frame < 0 || frame >= plugin.settings.maxBlockFrames) return false;
    if (isVst(plugin)) return queueVstMidi(*plugin.vst, frame, bytes, size);
    return isClap(plugin) && queueClapMidi(*plugin.clap, std::uint32_t(frame), bytes, size);
}

bool queueClapEvent(HostedPlugin& plugin, const clap_event_header& event) {
    return isClap(plugin) && pushClapEvent(plugin.clap->input, event);
}

bool renderBlock(HostedPlugin& plugin, int frames) {
    if (frames < 1 || frames > plugin.settings.maxBlockFrames) return false;
    if (isVst(plugin)) {
        processVst(*plugin.vst, frames);
        return true;
    }
    return isClap(plugin) && processClap(*plugin.clap, std::uint32_t(frames)) != CLAP_PROCESS_ERROR;
}

int outputChannelCount(const HostedPlugin& plugin) {
    if (isVst(plugin)) return plugin.vst->effect->numOutputs;
    return isClap(plugin) ? clapMainChannels(*plugin.clap) : 0;
}

const float* outputChannel(const HostedPlugin& plugin, int channel) {
    if (channel < 0 || channel >= outputChannelCount(plugin)) return nullptr;
    if (isVst(plugin)) return plugin.vst->outputs.empty() ? nullptr : plugin.vst->outputs[channel];
    const ClapInstance& clap = *plugin.clap;
    return clap.outputBuffers.empty() ? nullptr : clap.outputBuffers.front().data32[channel];
}

int programCount(const HostedPlugin& plugin) {
    return isVst(plugin) ? std::max(plugin.vst->effect->numPrograms, 0) : 0;
}

bool selectProgram(HostedPlugin& plugin, int program) {
    if (program < 0 || program >= programCount(plugin)) return false;
    plugin.vst->effect->dispatcher(plugin.vst->effect, effSetProgram, 0, program, nullptr, 0.0f);
    return true;
}

int parameterCount(const HostedPlugin& plugin) {
    if (isVst(plugin)) return std::max(plugin.vst->effect->numParams, 0);
    return isClap(plugin) ? int(plugin.clap->parameters.size()) : 0;
}

bool parameterInfo(HostedPlugin& plugin, int index, ParameterInfo& info) {
    if (index < 0 || index >= parameterCount(plugin)) return false;
    info = ParameterInfo{};
    if (isVst(plugin)) {
        info.id = std::uint32_t(index);
        info.name = vstString(plugin.vst->effect, effGetParamName, index);
        info.defaultValue = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    const clap_param_info& clap = plugin.clap->parameters[std::size_t(index)];
    info.id = clap.id;
    info.name = clap.name;
    info.minValue = clap.min_value;
    info.maxValue = clap.max_value;
    info.defaultValue = clap.default_value;
    info.clapFlags = clap.flags;
    return true;
}

bool parameterValue(HostedPlugin& plugin, int index, double& value) {
    if (index < 0 || index >= parameterCount(plugin)) return false;
    if (isVst(plugin)) {
        AEffect* effect = plugin.vst->effect;
        if (effect->getParameter == nullptr) return false;
        const float stored = effect->getParameter(effect, index); // out of the x87 register
        value = stored;
        return true;
    }
    return clapParameterValue(*plugin.clap, std::size_t(index), value);
}

bool setParameterValue(HostedPlugin& plugin, int index, double value) {
    if (index < 0 || index >= parameterCount(plugin)) return false;
    if (isVst(plugin)) {
        AEffect* effect = plugin.vst->effect;
        if (effect->setParameter == nullptr) return false;
        effect->setParameter(effect, index, static_cast<float>(value));
        return true;
    }
    return setClapParameter(*plugin.clap, std::size_t(index), value);
}

std::string parameterText(HostedPlugin& plugin, int index) {
    if (index < 0 || index >= parameterCount(plugin)) return "";
    if (isVst(plugin)) {
        const std::string display = vstString(plugin.vst->effect, effGetParamDisplay, index);
        const std::string label = vstString(plugin.vst->effect, effGetParamLabel, index);
        return label.empty() ? display : display + " " + label;
    }
    double value = 0.0;
    if (!clapParameterValue(*plugin.clap, std::size_t(index), value)) return "";
    return clapParameterText(*plugin.clap, std::size_t(index), value);
}

bool hasState(const HostedPlugin& plugin) {
    if (isVst(plugin)) return (plugin.vst->effect->flags & effFlagsProgramChunks) != 0;
    return isClap(plugin) && plugin.clap->extensions.state != nullptr;
}

bool saveState(HostedPlugin& plugin, std::vector<std::uint8_t>& bytes, std::string& error) {
    if (isVst(plugin)) return saveVstChunk(*plugin.vst, bytes, error);
    if (isClap(plugin)) return saveClapState(*plugin.clap, bytes, error);
    error = "no plug-in loaded";
    return false;
}

bool loadState(HostedPlugin& plugin, const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (isVst(plugin)) return loadVstChunk(*plugin.vst, bytes, error);
    if (isClap(plugin)) return loadClapState(*plugin.clap, bytes, error);
    error = "no plug-in loaded";
    return false;
}

bool hasEditor(const HostedPlugin& plugin) {
    if (isVst(plugin)) return (plugin.vst->effect->flags & effFlagsHasEditor) != 0;
    return isClap(plugin) && plugin.clap->extensions.gui != nullptr;
}

bool createEditor(HostedPlugin& plugin, int& width, int& height, std::string& error) {
    if (isVst(plugin)) return createVstEditor(*plugin.vst, width, height, error);
    if (isClap(plugin)) return createClapGui(*plugin.clap, width, height, error);
    error = "no plug-in loaded";
    return false;
}

bool showEditor(HostedPlugin& plugin, HostWindow& window, std::string& error) {
    if (isVst(plugin)) return showVstEditor(*plugin.vst, window, error);
    if (isClap(plugin)) return showClapGui(*plugin.clap, window, error);
    error = "no plug-in loaded";
    return false;
}

bool editorSize(HostedPlugin& plugin, int& width, int& height) {
    if (isVst(plugin)) {
        std::string ignored;
        return createVstEditor(*plugin.vst, width, height, ignored);
    }
    if (!isClap(plugin) || !plugin.clap->guiCreated) return false;
    width = int(plugin.clap->guiWidth);
    height = int(plugin.clap->guiHeight);
    return true;
}

void closeEditor(HostedPlugin& plugin) {
    if (isVst(plugin)) destroyVstEditor(*plugin.vst);
    if (isClap(plugin)) destroyClapGui(*plugin.clap);
}

void idlePlugin(HostedPlugin& plugin, int waitMs) {
    if (isVst(plugin) && plugin.vst->editorOpen)
        plugin.vst->effect->dispatcher(plugin.vst->effect, effEditIdle, 0, 0, nullptr, 0.0f);
    if (isClap(plugin)) serviceClapMainThread(*plugin.clap, waitMs);
}

std::vector<PluginMessage> takePluginMessages(HostedPlugin& plugin) {
    return isClap(plugin) ? takePluginMessages(plugin.clap->host) : std::vector<PluginMessage>{};
}
