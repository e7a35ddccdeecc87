// CLAP state: a saved state loaded into a fresh instance (read in short
// pieces) gives the same parameters and renders the same; empty,
// truncated, random and failing streams are refused and leave the plug-in
// as it was; a failing output stream makes save answer false.
#include "clap_streams.h"
#include "clap_validation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Reads like the memory reader until half the bytes are given, then fails.
struct FailingReader {
    ClapMemoryReader reader;
};

std::int64_t CLAP_CALL failingRead(const clap_istream* stream, void* buffer, std::uint64_t size) {
    auto* reader = static_cast<ClapMemoryReader*>(stream->ctx);
    if (reader->position >= reader->size / 2) return -1;
    const std::uint64_t count = std::min<std::uint64_t>(size, reader->size / 2 - reader->position);
    std::memcpy(buffer, reader->data + reader->position, std::size_t(count));
    reader->position += std::size_t(count);
    return std::int64_t(count);
}

bool loadFrom(ClapInstance& clap, const std::vector<std::uint8_t>& bytes, bool failing,
              std::size_t maxChunk) {
    ClapMemoryReader reader;
    initClapReader(reader, bytes, maxChunk);
    if (failing) reader.stream.read = failingRead;
    return clap.extensions.state->load(clap.plugin, &reader.stream);
}

void setRandomParameters(Validation& validation, ClapInstance& clap, const char* check) {
    Random random = randomFor(validation, check);
    for (std::size_t p = 0; p < clap.parameters.size(); ++p) {
        const clap_param_info& info = clap.parameters[p];
        if (info.flags & CLAP_PARAM_IS_READONLY) continue;
        double value = info.min_value + (info.max_value - info.min_value) * randomUnit(random);
        if (info.flags & CLAP_PARAM_IS_STEPPED) value = std::trunc(value);
        // Away from the default, so that a value the state leaves out shows.
        if (value == info.default_value)
            value = info.default_value == info.max_value ? info.min_value : info.max_value;
        setClapParameter(clap, p, value);
    }
}

std::vector<double> valuesOf(ClapInstance& clap) {
    std::vector<double> values;
    for (std::size_t p = 0; p < clap.parameters.size(); ++p) {
        double value = std::nan("");
        clapParameterValue(clap, p, value);
        values.push_back(value);
    }
    return values;
}

// The first parameter whose value differs, or empty.
std::string differingParameter(ClapInstance& clap, const std::vector<double>& a,
                               const std::vector<double>& b) {
    for (std::size_t p = 0; p < a.size() && p < b.size(); ++p)
        if (!(a[p] == b[p]))
            return "'" + std::string(clap.parameters[p].name) + "' is " +
                   describeFloat(float(b[p])) + " instead of " + describeFloat(float(a[p]));
    return a.size() == b.size() ? "" : "the parameter count differs";
}

const std::vector<NoteEvent> kNotes = {
    {0, 0x90, 60, 100}, {100, 0x90, 67, 80}, {6000, 0x80, 60, 0}, {9000, 0x80, 67, 0}};

std::string roundTripProblem(Validation& validation, std::size_t& stateBytes) {
    HostedPlugin first, second;
    std::string error;
    if (!loadClap(validation, first, error) || !loadClap(validation, second, error)) return error;
    setRandomParameters(validation, *first.clap, "state.round-trip");
    std::vector<std::uint8_t> bytes;
    if (!saveState(first, bytes, error)) return error;
    stateBytes = bytes.size();
    if (!loadFrom(*second.clap, bytes, false, 7))
        return "the saved state (" + std::to_string(bytes.size()) +
               " bytes) is refused when read 7 bytes at a time";
    const std::string differs =
        differingParameter(*first.clap, valuesOf(*first.clap), valuesOf(*second.clap));
    if (!differs.empty()) return "after the round trip " + differs;
    ClapRender renders[2];
    HostedPlugin* plugins[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        if (!activatePlugin(*plugins[i], error) || !startProcessing(*plugins[i], error))
            return error;
        renders[i] = renderClap(*plugins[i], kNotes, {}, 12000, 256, true);
    }
    const long long at = firstDifference(renders[0].capture, renders[1].capture);
    if (at >= 0)
        return "the instance given the saved state renders otherwise from sample " +
               std::to_string(at % 12000) + " on";
    return "";
}

std::string hostileProblem(Validation& validation, std::string& refusedAll) {
    HostedPlugin plugin;
    std::string error;
    if (!loadClap(validation, plugin, error)) return error;
    ClapInstance& clap = *plugin.clap;
    setRandomParameters(validation, clap, "state.hostile");
    std::vector<std::uint8_t> before;
    if (!saveState(plugin, before, error)) return error;
    const std::vector<double> values = valuesOf(clap);
    Random random = randomFor(validation, "state.hostile");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool failing;
    };
    std::vector<Case> cases = {
        {"an empty stream", {}, false},
        {"the state truncated to half",
         {before.begin(), before.begin() + before.size() / 2},
         false},
        {"the state less its last byte",
         {before.begin(), before.end() - (before.empty() ? 0 : 1)},
         false},
        {"a stream failing halfway", before, true},
    };
    for (int i = 0; i < validation.strictness; ++i) {
        std::vector<std::uint8_t> noise(before.size() + std::size_t(randomBelow(random, 64)));
        for (std::uint8_t& byte : noise)
            byte = std::uint8_t(nextRandom(random));
        cases.push_back({"random bytes", noise, false});
    }
    for (const Case& hostile : cases) {
        if (hostile.bytes.size() == before.size() && hostile.bytes == before && !hostile.failing)
            continue;
        if (loadFrom(clap, hostile.bytes, hostile.failing, 0))
            return "load accepts " + std::string(hostile.what) + " (" +
                   std::to_string(hostile.bytes.size()) + " bytes)";
        const std::string differs = differingParameter(clap, values, valuesOf(clap));
        if (!differs.empty())
            return "refusing " + std::string(hostile.what) + " changed it: " + differs;
    }
    refusedAll = std::to_string(cases.size()) + " streams refused";
    std::vector<std::uint8_t> none;
    ClapMemoryWriter writer;
    initClapWriter(writer, none, 0);
    if (before.size() > 0 && clap.extensions.state->save(clap.plugin, &writer.stream))
        return "save answers true into a stream that refuses every write";
    return "";
}

} // namespace

void checkClapState(Validation& validation) {
    Report& report = validation.report;
    {
        HostedPlugin plugin;
        std::string error;
        if (loadClap(validation, plugin, error) && !hasState(plugin)) {
            for (const char* name : {"state.round-trip", "state.hostile"}) {
                beginCheck(report, name);
                endCheck(report, Verdict::NotMeasurable, "the plug-in offers no clap.state");
            }
            return;
        }
    }
    beginCheck(report, "state.round-trip");
    std::size_t bytes = 0;
    std::string problem = roundTripProblem(validation, bytes);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? std::to_string(bytes) +
                                   " bytes read in short pieces: same parameters, same output"
                             : problem);
    beginCheck(report, "state.hostile");
    std::string refused;
    problem = hostileProblem(validation, refused);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? refused + ", the plug-in unchanged; a failing output refused"
                             : problem);
}
