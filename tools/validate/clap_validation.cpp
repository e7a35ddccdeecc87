// The host side shared by the CLAP checks.
#include "clap_validation.h"

#include <algorithm>

bool loadClap(Validation& validation, HostedPlugin& plugin, std::string& error) {
    AudioSettings settings;
    return loadHostedPlugin(plugin, validation.pluginPath, validation.pluginId, settings, error) ==
           LoadStatus::Loaded;
}

bool openClap(Validation& validation, HostedPlugin& plugin, double sampleRate, int maxBlock,
              std::string& error) {
    AudioSettings settings;
    settings.sampleRate = sampleRate;
    settings.maxBlockFrames = maxBlock;
    return loadHostedPlugin(plugin, validation.pluginPath, validation.pluginId, settings, error) ==
               LoadStatus::Loaded &&
           activatePlugin(plugin, error) && startProcessing(plugin, error);
}

ClapRender renderClap(HostedPlugin& plugin, const std::vector<NoteEvent>& notes,
                      const std::vector<ParameterChange>& changes, long long frames, int blockSize,
                      bool capture) {
    ClapRender render;
    if (!plugin.clap || !plugin.clap->processing) { // nothing to render with
        render.processErrors = 1;
        return render;
    }
    const int channels = outputChannelCount(plugin);
    if (capture) render.capture.assign(std::size_t(channels) * std::size_t(frames), 0.0f);
    std::vector<const float*> outputs(std::size_t(std::max(channels, 0)));
    std::size_t nextNote = 0, nextChange = 0;
    for (long long start = 0; start < frames; start += blockSize) {
        const int length = int(std::min<long long>(blockSize, frames - start));
        // Notes and changes merged in time order, notes first at equal times.
        while (true) {
            const bool noteDue = nextNote < notes.size() && notes[nextNote].frame < start + length;
            const bool changeDue =
                nextChange < changes.size() && changes[nextChange].frame < start + length;
            if (!noteDue && !changeDue) break;
            if (noteDue && (!changeDue || notes[nextNote].frame <= changes[nextChange].frame)) {
                const NoteEvent& note = notes[nextNote++];
                const std::uint8_t bytes[3] = {note.status, note.data1, note.data2};
                queueMidi(plugin, int(note.frame - start), bytes, 3);
            } else {
                const ParameterChange& change = changes[nextChange++];
                ClapInstance& clap = *plugin.clap;
                if (change.index < 0 || std::size_t(change.index) >= clap.parameters.size())
                    continue;
                const clap_param_info& info = clap.parameters[std::size_t(change.index)];
                clap_event_param_value event{};
                event.header.size = sizeof event;
                event.header.time = std::uint32_t(change.frame - start);
                event.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
                event.header.type = CLAP_EVENT_PARAM_VALUE;
                event.param_id = info.id;
                event.cookie = info.cookie;
                event.note_id = -1;
                event.port_index = -1;
                event.channel = -1;
                event.key = -1;
                event.value = change.value;
                queueClapEvent(plugin, event.header);
            }
        }
        if (!renderBlock(plugin, length)) ++render.processErrors;
        for (int c = 0; c < channels; ++c)
            outputs[std::size_t(c)] = outputChannel(plugin, c);
        addChannelsToStats(render.stats, outputs.data(), channels, length);
        if (capture)
            for (int c = 0; c < channels; ++c)
                std::copy(outputs[std::size_t(c)], outputs[std::size_t(c)] + length,
                          render.capture.begin() + std::ptrdiff_t(c * frames + start));
    }
    return render;
}

std::string renderProblem(const ClapRender& render) {
    if (render.processErrors > 0)
        return "process answered CLAP_PROCESS_ERROR in " + std::to_string(render.processErrors) +
               " blocks";
    return audioProblem(render.stats);
}

std::string hostMisuse(HostedPlugin& plugin) {
    std::string found;
    for (const PluginMessage& message : takePluginMessages(plugin))
        if (message.text.rfind("host: ", 0) == 0)
            found += (found.empty() ? "" : "; ") + message.text.substr(6);
    return found;
}

long long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return static_cast<long long>(i);
    return -1;
}
