// The ports a CLAP plug-in declares and what it does with them: audio
// ports well formed (ids, channel counts that match their type, the main
// flag on the first only) and sounding on the channels declared; note
// ports with a preferred dialect among those supported, a note in each
// dialect heard; the latency within reason.
#include "clap_validation.h"

#include <cstring>
#include <set>

namespace {

constexpr std::uint32_t kMaxChannels = 64;

std::string audioPortsProblem(ClapInstance& clap, std::string& summary) {
    const clap_plugin_audio_ports* table = clap.extensions.audioPorts;
    if (!table) return "the plug-in offers no clap.audio-ports";
    for (bool input : {false, true}) {
        const char* side = input ? "input" : "output";
        const std::uint32_t count = table->count(clap.plugin, input);
        std::set<clap_id> ids;
        for (std::uint32_t i = 0; i < count; ++i) {
            clap_audio_port_info info;
            std::memset(&info, 0xA5, sizeof info);
            const std::string which = std::string(side) + " port " + std::to_string(i);
            if (!table->get(clap.plugin, i, input, &info)) return "get refuses " + which;
            if (!memchr(info.name, 0, sizeof info.name)) return which + "'s name is not terminated";
            if (!ids.insert(info.id).second || info.id == CLAP_INVALID_ID)
                return which + " repeats an id or has the invalid one";
            if (info.channel_count == 0 || info.channel_count > kMaxChannels)
                return which + " has " + std::to_string(info.channel_count) + " channels";
            if (info.port_type &&
                ((!std::strcmp(info.port_type, CLAP_PORT_MONO) && info.channel_count != 1) ||
                 (!std::strcmp(info.port_type, CLAP_PORT_STEREO) && info.channel_count != 2)))
                return which + " is of type " + info.port_type + " with " +
                       std::to_string(info.channel_count) + " channels";
            if ((info.flags & CLAP_AUDIO_PORT_IS_MAIN) && i != 0)
                return which + " is marked main; only the first may be";
            summary += std::string(summary.empty() ? "" : ", ") + side + " " +
                       std::to_string(info.channel_count) + " ch";
        }
        clap_audio_port_info beyond{};
        if (table->get(clap.plugin, count, input, &beyond))
            return std::string("get answers an ") + side + " index beyond count";
    }
    return "";
}

std::string notePortsProblem(ClapInstance& clap, std::string& summary) {
    const clap_plugin_note_ports* table = clap.extensions.notePorts;
    if (!table) return "";
    for (bool input : {true, false}) {
        const std::uint32_t count = table->count(clap.plugin, input);
        std::set<clap_id> ids;
        for (std::uint32_t i = 0; i < count; ++i) {
            clap_note_port_info info;
            std::memset(&info, 0xA5, sizeof info);
            const std::string which =
                std::string(input ? "input" : "output") + " note port " + std::to_string(i);
            if (!table->get(clap.plugin, i, input, &info)) return "get refuses " + which;
            if (!memchr(info.name, 0, sizeof info.name)) return which + "'s name is not terminated";
            if (!ids.insert(info.id).second || info.id == CLAP_INVALID_ID)
                return which + " repeats an id or has the invalid one";
            const std::uint32_t preferred = info.preferred_dialect;
            if (info.supported_dialects == 0 || (preferred & (preferred - 1)) != 0 ||
                (preferred & info.supported_dialects) == 0)
                return which + " prefers dialect " + std::to_string(preferred) +
                       " of the supported " + std::to_string(info.supported_dialects);
            if (input)
                summary += std::string(summary.empty() ? "" : ", ") + "dialects " +
                           std::to_string(info.supported_dialects);
        }
    }
    return "";
}

// A note at the start of a render in the given dialect; its output's peak.
float noteHeard(Validation& validation, std::uint32_t dialect, std::string& problem) {
    HostedPlugin plugin;
    if (!openClap(validation, plugin, 44100.0, 512, problem)) return 0.0f;
    clap_event_note note{};
    clap_event_midi midi{};
    if (dialect == CLAP_NOTE_DIALECT_CLAP) {
        note.header = {sizeof note, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_ON, 0};
        note.note_id = -1;
        note.key = 60;
        note.velocity = 0.8;
        queueClapEvent(plugin, note.header);
    } else {
        midi.header = {sizeof midi, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
        midi.data[0] = 0x90;
        midi.data[1] = 60;
        midi.data[2] = 100;
        queueClapEvent(plugin, midi.header);
    }
    const ClapRender render = renderClap(plugin, {}, {}, 8192, 512);
    problem = renderProblem(render);
    return render.stats.peak;
}

} // namespace

void checkClapPorts(Validation& validation) {
    Report& report = validation.report;
    HostedPlugin plugin;
    std::string error;
    beginCheck(report, "ports.audio");
    if (!loadClap(validation, plugin, error)) return endCheck(report, Verdict::Fail, error);
    std::string summary;
    std::string problem = audioPortsProblem(*plugin.clap, summary);
    if (problem.empty()) {
        HostedPlugin playing;
        if (!openClap(validation, playing, 44100.0, 512, problem)) {
        } else {
            const std::vector<NoteEvent> notes = {{0, 0x90, 60, 100}, {6000, 0x80, 60, 0}};
            const ClapRender render = renderClap(playing, notes, {}, 8192, 512, true);
            problem = renderProblem(render);
            const int channels = outputChannelCount(playing);
            for (int c = 0; c < channels && problem.empty(); ++c) {
                bool sounded = false;
                for (long long i = 0; i < 8192 && !sounded; ++i)
                    sounded = render.capture[std::size_t(c * 8192 + i)] != 0.0f;
                if (!sounded)
                    problem = "a note leaves channel " + std::to_string(c) + " of " +
                              std::to_string(channels) + " of the main output silent";
            }
        }
    }
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? summary + "; a note sounds on every main channel" : problem);

    beginCheck(report, "ports.notes");
    summary.clear();
    problem = notePortsProblem(*plugin.clap, summary);
    const std::vector<ClapNotePort> inputs = plugin.clap->noteInputs;
    if (problem.empty() && inputs.empty()) {
        endCheck(report, Verdict::Note, "no note input: not playable as an instrument");
    } else {
        for (std::uint32_t dialect :
             {std::uint32_t(CLAP_NOTE_DIALECT_CLAP), std::uint32_t(CLAP_NOTE_DIALECT_MIDI)}) {
            if (!problem.empty() || !(inputs.front().supportedDialects & dialect)) continue;
            const float peak = noteHeard(validation, dialect, problem);
            if (problem.empty() && peak == 0.0f)
                problem = std::string("a note-on in the ") +
                          (dialect == CLAP_NOTE_DIALECT_CLAP ? "CLAP" : "MIDI") +
                          " dialect it supports is not heard";
        }
        endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
                 problem.empty() ? summary + "; a note heard in each of CLAP and MIDI supported"
                                 : problem);
    }

    beginCheck(report, "ports.latency");
    const clap_plugin_latency* latency = plugin.clap->extensions.latency;
    if (!latency) {
        unloadHostedPlugin(plugin);
        return endCheck(report, Verdict::NotMeasurable, "the plug-in offers no clap.latency");
    }
    problem.clear();
    std::uint32_t samples[2] = {0, 0};
    if (!activatePlugin(plugin, problem)) return endCheck(report, Verdict::Fail, problem);
    samples[0] = latency->get(plugin.clap->plugin);
    samples[1] = latency->get(plugin.clap->plugin);
    unloadHostedPlugin(plugin);
    if (samples[0] != samples[1])
        problem =
            "get answers " + std::to_string(samples[0]) + ", then " + std::to_string(samples[1]);
    else if (samples[0] > 44100)
        problem = "a latency of " + std::to_string(samples[0]) + " samples at 44.1 kHz";
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? std::to_string(samples[0]) + " samples at 44.1 kHz" : problem);
}
