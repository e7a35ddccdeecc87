// The host's input events applied to the instance, and the parameter changes
// the host did not make reported back to it. Notes, MIDI and parameter
// values each act through the shell as the VST 2.4 face's do; events of
// other spaces or types, for other ports, or with keys and ids out of range
// change nothing.
#include "clap_extensions.h"

#include "instrument_operations.h"
#include "midi_intake.h"

#include <cmath>

namespace t815 {

namespace {

constexpr std::int32_t kKeyCount = 128;

// Note-off and choke for key -1 ("any key"): every key let go at once.
void releaseEveryKey(PluginInstance& instance) {
    ShellChange run[kKeyCount];
    for (std::int32_t key = 0; key < kKeyCount; ++key)
        run[key] = {ChangeKind::noteOff, key, 0.0f};
    submitChanges(instance, run, kKeyCount);
}

// The instrument's keys have no velocity and no release of their own to
// skip, so a choke lets the key go as a note-off does.
void applyNote(PluginInstance& instance, const clap_event_note& note, bool on) {
    const bool anyPort = note.port_index == -1;
    if (note.port_index != 0 && !(anyPort && !on)) return;
    if (note.key >= 0 && note.key < kKeyCount) {
        if (on)
            pressKey(instance, note.key);
        else
            releaseKey(instance, note.key);
    } else if (note.key == -1 && !on) {
        releaseEveryKey(instance);
    }
}

void applyParameterValue(ClapPlugin& face, clap_id id, double value) {
    PluginInstance& instance = face.instance;
    if (std::isnan(value) || id >= kClapParamCount) return;
    if (id == kClapProgramParam) {
        if (!(value >= 0.0 && value < kPluginProgramCount)) return;
        selectProgramIndex(instance, static_cast<std::int32_t>(value), SelectSource::host);
    } else {
        // Clamped while still a double: a float cannot hold every double.
        storeParameter(instance, static_cast<std::int32_t>(id),
                       static_cast<float>(value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value)));
        requestRepaint(instance);
    }
    // The host knows of its own change.
    face.reportedValues[id] = clapParameterValue(instance, id);
}

template <typename Event> const Event* eventAs(const clap_event_header& header) {
    return header.size >= sizeof(Event) ? reinterpret_cast<const Event*>(&header) : nullptr;
}

bool pushGesture(const clap_output_events* out, clap_id id, std::uint16_t type) {
    const clap_event_param_gesture event = {{sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0},
                                            id};
    return out->try_push(out, &event.header);
}

bool pushValue(const clap_output_events* out, clap_id id, double value) {
    clap_event_param_value event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    return out->try_push(out, &event.header);
}

} // namespace

void applyClapEvent(ClapPlugin& face, const clap_event_header& event) {
    if (event.space_id != CLAP_CORE_EVENT_SPACE_ID) return;
    switch (event.type) {
    case CLAP_EVENT_NOTE_ON:
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE:
        if (const auto* note = eventAs<clap_event_note>(event))
            applyNote(face.instance, *note, event.type == CLAP_EVENT_NOTE_ON);
        return;
    case CLAP_EVENT_MIDI:
        if (const auto* midi = eventAs<clap_event_midi>(event); midi && midi->port_index == 0) {
            const MidiMessage message = {{midi->data[0], midi->data[1], midi->data[2]}};
            receiveMidi(face.instance, &message, 1);
        }
        return;
    case CLAP_EVENT_PARAM_VALUE:
        if (const auto* param = eventAs<clap_event_param_value>(event))
            applyParameterValue(face, param->param_id, param->value);
        return;
    default:
        return;
    }
}

void reportParameterChanges(ClapPlugin& face, const clap_output_events* out) {
    if (!out || !out->try_push) return; // reported at the next chance
    const std::uint32_t begun = face.gesturesBegun.exchange(0);
    const std::uint32_t ended = face.gesturesEnded.exchange(0);
    for (clap_id id = 0; id < kClapParamCount; ++id) {
        const std::uint32_t bit = 1u << id;
        if (begun & bit) pushGesture(out, id, CLAP_EVENT_PARAM_GESTURE_BEGIN);
        const double now = clapParameterValue(face.instance, id);
        if (now != face.reportedValues[id] && pushValue(out, id, now))
            face.reportedValues[id] = now;
        if (ended & bit) pushGesture(out, id, CLAP_EVENT_PARAM_GESTURE_END);
    }
}

} // namespace t815
