// The parameter extension: the five settings by their index and the
// selected program as id 5, their texts (the VST 2.4 face's display texts,
// the program's English name) and the flush of parameter events while the
// host is not processing.
#include "clap_extensions.h"

#include "instrument_operations.h"

#include <cmath>
#include <cstring>

namespace t815 {

namespace {

bool isStepped(clap_id id) {
    return id == kParamUnison || id == kParamFilter || id == kClapProgramParam;
}

// Copies text, terminator included, into capacity bytes; false if it does
// not fit.
bool copyText(const char* text, char* out, std::uint32_t capacity) {
    const std::size_t length = std::strlen(text);
    if (!out || length >= capacity) return false;
    std::memcpy(out, text, length + 1);
    return true;
}

std::uint32_t CLAP_CALL paramCount(const clap_plugin*) {
    return kClapParamCount;
}

bool CLAP_CALL paramInfo(const clap_plugin* plugin, std::uint32_t index, clap_param_info* info) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !info || index >= kClapParamCount) return false;
    std::memset(info, 0, sizeof *info);
    info->id = index;
    info->flags =
        CLAP_PARAM_IS_AUTOMATABLE | (isStepped(index) ? std::uint32_t{CLAP_PARAM_IS_STEPPED} : 0u);
    if (index == kClapProgramParam)
        copyText("Program", info->name, sizeof info->name);
    else
        writeParameterName(static_cast<std::int32_t>(index), info->name);
    info->min_value = 0.0;
    info->max_value = index == kClapProgramParam ? kPluginProgramCount - 1 : 1.0;
    info->default_value = face->defaultValues[index];
    return true;
}

bool CLAP_CALL paramValue(const clap_plugin* plugin, clap_id id, double* value) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face || !value || id >= kClapParamCount) return false;
    *value = clapParameterValue(face->instance, id);
    return true;
}

bool CLAP_CALL valueToText(const clap_plugin*, clap_id id, double value, char* out,
                           std::uint32_t capacity) {
    if (id >= kClapParamCount || std::isnan(value)) return false;
    if (id == kClapProgramParam) {
        const double index = value < 0.0 ? 0.0 : (value > 31.0 ? 31.0 : value);
        return copyText(programNamesEnglish[static_cast<int>(index)], out, capacity);
    }
    char text[kParameterTextBytes];
    const float clamped = static_cast<float>(value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value));
    return writeParameterValueText(static_cast<std::int32_t>(id), clamped, text) &&
           copyText(text, out, capacity);
}

bool CLAP_CALL textToValue(const clap_plugin*, clap_id id, const char* text, double* value) {
    if (id >= kClapParamCount || !text || !value) return false;
    if (id == kClapProgramParam) {
        for (int index = 0; index < kPluginProgramCount; ++index)
            if (std::strcmp(text, programNamesEnglish[index]) == 0) {
                *value = index;
                return true;
            }
        return false;
    }
    float read = 0.0f;
    if (!readParameterValueText(static_cast<std::int32_t>(id), text, read)) return false;
    *value = read;
    return true;
}

// Only parameter values: notes wait for processing.
void CLAP_CALL paramFlush(const clap_plugin* plugin, const clap_input_events* in,
                          const clap_output_events* out) {
    ClapPlugin* face = clapPluginOf(plugin);
    if (!face) return;
    const std::uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (event && event->type == CLAP_EVENT_PARAM_VALUE) applyClapEvent(*face, *event);
    }
    reportParameterChanges(*face, out);
}

} // namespace

const clap_plugin_params kClapParams = {paramCount,  paramInfo,   paramValue,
                                        valueToText, textToValue, paramFlush};

} // namespace t815
