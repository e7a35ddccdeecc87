// The CLAP parameters as their contract states them: ids unique and stable
// across instances, ranges sound, texts that survive value_to_text and
// text_to_value and keep within their buffers, hostile values and unknown
// ids refused or clamped, and get_value answering what the last event set.
#include "clap_validation.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace {

constexpr std::size_t kGuard = 64;
constexpr char kGuardByte = char(0xA5);
constexpr clap_id kUnknownId = 0x7EADBEEF;

std::string nameOf(const clap_param_info& info) {
    return "'" + std::string(info.name, strnlen(info.name, CLAP_NAME_SIZE)) + "' (id " +
           std::to_string(info.id) + ")";
}

// The parameters' infos read afresh, with the first problem found.
std::string infoProblem(const clap_plugin* plugin, const clap_plugin_params* params,
                        std::vector<clap_param_info>& infos) {
    const std::uint32_t count = params->count(plugin);
    if (count > 100000) return "count answers " + std::to_string(count);
    std::set<clap_id> ids;
    for (std::uint32_t i = 0; i < count; ++i) {
        clap_param_info info;
        std::memset(&info, 0xA5, sizeof info);
        if (!params->get_info(plugin, i, &info))
            return "get_info refuses index " + std::to_string(i) + " of " + std::to_string(count);
        if (!memchr(info.name, 0, sizeof info.name) || !memchr(info.module, 0, sizeof info.module))
            return "parameter " + std::to_string(i) + "'s name or module is not terminated";
        if (info.id == CLAP_INVALID_ID) return nameOf(info) + " has the invalid id";
        if (!ids.insert(info.id).second) return nameOf(info) + " repeats an id";
        if (!std::isfinite(info.min_value) || !std::isfinite(info.max_value) ||
            !std::isfinite(info.default_value) || info.min_value > info.max_value ||
            info.default_value < info.min_value || info.default_value > info.max_value)
            return nameOf(info) + " has the range " + describeFloat(float(info.min_value)) +
                   " to " + describeFloat(float(info.max_value)) + ", default " +
                   describeFloat(float(info.default_value));
        infos.push_back(info);
    }
    clap_param_info beyond{};
    if (params->get_info(plugin, count, &beyond)) return "get_info answers an index beyond count";
    return "";
}

// A text of the value in a buffer of `capacity` followed by guard bytes;
// the problem, if the plug-in wrote beyond or left it unterminated.
std::string textOf(const clap_plugin* plugin, const clap_plugin_params* params,
                   const clap_param_info& info, double value, std::uint32_t capacity,
                   std::string& text, bool& answered) {
    std::vector<char> buffer(capacity + kGuard, kGuardByte);
    answered = params->value_to_text(plugin, info.id, value, buffer.data(), capacity);
    for (std::size_t i = capacity; i < buffer.size(); ++i)
        if (buffer[i] != kGuardByte)
            return "value_to_text of " + nameOf(info) + " wrote past its " +
                   std::to_string(capacity) + "-byte buffer";
    if (!answered) return "";
    if (!memchr(buffer.data(), 0, capacity))
        return "value_to_text of " + nameOf(info) + " is not terminated within " +
               std::to_string(capacity) + " bytes";
    text = buffer.data();
    return "";
}

double randomValue(Random& random, const clap_param_info& info) {
    double value = info.min_value + (info.max_value - info.min_value) * randomUnit(random);
    if (info.flags & CLAP_PARAM_IS_STEPPED) value = std::trunc(value);
    return std::min(std::max(value, info.min_value), info.max_value);
}

std::string textsProblem(Validation& validation, const clap_plugin* plugin,
                         const clap_plugin_params* params,
                         const std::vector<clap_param_info>& infos, int& roundTrips) {
    Random random = randomFor(validation, "parameters.texts");
    for (const clap_param_info& info : infos) {
        std::vector<double> values = {info.min_value, info.default_value, info.max_value};
        for (int i = 0; i < validation.strictness; ++i)
            values.push_back(randomValue(random, info));
        for (double value : values) {
            std::string text, small;
            bool answered = false, smallAnswered = false;
            std::string problem =
                textOf(plugin, params, info, value, CLAP_NAME_SIZE, text, answered);
            if (problem.empty())
                problem = textOf(plugin, params, info, value, 4, small, smallAnswered);
            if (!problem.empty()) return problem;
            if (!answered) continue;
            double back = std::numeric_limits<double>::quiet_NaN();
            if (!params->text_to_value(plugin, info.id, text.c_str(), &back)) continue;
            std::string again;
            problem = textOf(plugin, params, info, back, CLAP_NAME_SIZE, again, answered);
            if (!problem.empty()) return problem;
            if (!std::isfinite(back) || !answered || again != text)
                return nameOf(info) + ": '" + text + "' reads back as " +
                       describeFloat(float(back)) + ", shown as '" + again + "'";
            ++roundTrips;
        }
        double ignored = 0.0;
        for (const char* hostile : {"", "not a number at all", "nan", "-inf", "1e999"})
            if (params->text_to_value(plugin, info.id, hostile, &ignored) &&
                (!std::isfinite(ignored) || ignored < info.min_value || ignored > info.max_value))
                return nameOf(info) + ": text_to_value('" + hostile + "') answers " +
                       describeFloat(float(ignored));
    }
    char buffer[CLAP_NAME_SIZE];
    double value = 0.0;
    if (params->value_to_text(plugin, kUnknownId, 0.0, buffer, sizeof buffer) ||
        params->text_to_value(plugin, kUnknownId, "0", &value))
        return "value_to_text or text_to_value answers an unknown id";
    return "";
}

// Every value of the plug-in's within its range and finite.
std::string valuesProblem(const clap_plugin* plugin, const clap_plugin_params* params,
                          const std::vector<clap_param_info>& infos, const std::string& after) {
    for (const clap_param_info& info : infos) {
        double value = std::numeric_limits<double>::quiet_NaN();
        if (!params->get_value(plugin, info.id, &value))
            return "get_value refuses " + nameOf(info) + " " + after;
        if (!std::isfinite(value) || value < info.min_value || value > info.max_value)
            return nameOf(info) + " is " + describeFloat(float(value)) + " " + after;
    }
    double value = 0.0;
    if (params->get_value(plugin, kUnknownId, &value)) return "get_value answers an unknown id";
    return "";
}

void flushValue(ClapInstance& clap, clap_id id, double value) {
    ClapInputList events;
    initClapInputList(events, 1);
    clap_event_param_value event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    pushClapEvent(events, event.header);
    clearClapEvents(clap.output);
    clap.extensions.params->flush(clap.plugin, &events.list, &clap.output.list);
}

const double kHostile[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           1e300,
                           -1e300,
                           std::numeric_limits<double>::denorm_min()};

} // namespace

void checkClapParameters(Validation& validation) {
    Report& report = validation.report;
    beginCheck(report, "parameters.infos");
    HostedPlugin plugin, other;
    std::string error;
    if (!loadClap(validation, plugin, error) || !loadClap(validation, other, error))
        return endCheck(report, Verdict::Fail, error);
    ClapInstance& clap = *plugin.clap;
    const clap_plugin_params* params = clap.extensions.params;
    if (!params) {
        endCheck(report, Verdict::NotMeasurable, "the plug-in offers no clap.params");
        return;
    }
    std::vector<clap_param_info> infos, otherInfos;
    std::string problem = infoProblem(clap.plugin, params, infos);
    if (problem.empty() && other.clap->extensions.params)
        problem = infoProblem(other.clap->plugin, other.clap->extensions.params, otherInfos);
    if (problem.empty()) {
        bool same = infos.size() == otherInfos.size();
        for (std::size_t i = 0; same && i < infos.size(); ++i)
            same = infos[i].id == otherInfos[i].id &&
                   std::strcmp(infos[i].name, otherInfos[i].name) == 0 &&
                   infos[i].flags == otherInfos[i].flags;
        if (!same) problem = "a second instance lists other parameters (ids, names or flags)";
    }
    if (problem.empty()) {
        std::vector<clap_param_info> again;
        problem = infoProblem(clap.plugin, params, again);
        if (problem.empty() && again.size() != infos.size())
            problem = "the count changed between two scans";
        for (std::size_t i = 0; problem.empty() && i < again.size(); ++i)
            if (again[i].id != infos[i].id) problem = "ids changed between two scans";
    }
    unloadHostedPlugin(other);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? std::to_string(infos.size()) +
                                   " parameters, ids unique and stable across instances"
                             : problem);

    beginCheck(report, "parameters.texts");
    int roundTrips = 0;
    problem = textsProblem(validation, clap.plugin, params, infos, roundTrips);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty()
                 ? std::to_string(roundTrips) + " texts read back to themselves; short buffers kept"
                 : problem);

    beginCheck(report, "parameters.hostile-values");
    problem = valuesProblem(clap.plugin, params, infos, "at first");
    for (const clap_param_info& info : infos) {
        if (!problem.empty()) break;
        for (double value : kHostile) {
            flushValue(clap, info.id, value);
            problem = valuesProblem(clap.plugin, params, infos,
                                    "after a flush of " + nameOf(info) + " = " +
                                        describeFloat(float(value)));
            if (!problem.empty()) break;
        }
    }
    if (problem.empty()) flushValue(clap, kUnknownId, 0.5);
    if (problem.empty()) {
        std::string error2;
        if (!activatePlugin(plugin, error2) || !startProcessing(plugin, error2)) {
            problem = error2;
        } else {
            std::vector<ParameterChange> changes;
            for (std::size_t p = 0; p < infos.size(); ++p)
                for (double value : kHostile)
                    changes.push_back({static_cast<long long>(changes.size()) * 64, int(p), value});
            const std::vector<NoteEvent> notes = {{0, 0x90, 60, 100}, {16000, 0x80, 60, 0}};
            problem = renderProblem(
                renderClap(plugin, notes, changes,
                           std::max<long long>(16384, changes.size() * 64 + 512), 512));
            if (problem.empty())
                problem = valuesProblem(clap.plugin, params, infos, "after hostile events");
        }
    }
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "NaN, infinities and values far out of range refused or clamped, "
                               "by flush and in blocks"
                             : problem);

    beginCheck(report, "parameters.events");
    Random random = randomFor(validation, "parameters.events");
    problem.clear();
    if (!activatePlugin(plugin, problem) || !startProcessing(plugin, problem))
        return endCheck(report, Verdict::Fail, problem);
    int checked = 0;
    for (int round = 0; round < validation.strictness && problem.empty(); ++round) {
        for (std::size_t p = 0; p < infos.size() && problem.empty(); ++p) {
            const clap_param_info& info = infos[p];
            if (info.flags & CLAP_PARAM_IS_READONLY) continue;
            const double value = randomValue(random, info);
            const long long at = randomBelow(random, 256);
            renderClap(plugin, {}, {{at, int(p), value}}, 256, 256);
            double got = std::numeric_limits<double>::quiet_NaN();
            params->get_value(clap.plugin, info.id, &got);
            const double tolerance = (info.flags & CLAP_PARAM_IS_STEPPED)
                                         ? 0.5
                                         : 1e-5 * (info.max_value - info.min_value);
            if (!(std::fabs(got - value) <= tolerance))
                problem = nameOf(info) + " set to " + describeFloat(float(value)) + " at frame " +
                          std::to_string(at) + ": get_value answers " + describeFloat(float(got));
            ++checked;
        }
    }
    unloadHostedPlugin(plugin);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? std::to_string(checked) + " values read back after their events"
                             : problem);
}
