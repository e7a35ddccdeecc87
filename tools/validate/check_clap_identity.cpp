// A CLAP library as hosts first meet it: the entry initialised and
// deinitialised twice over, the factory and each descriptor's fields and
// features, and every extension the plug-in offers complete.
#include "clap_validation.h"

#include <cstring>
#include <set>

namespace {

constexpr int kMaxFeatures = 64;

std::string entryProblem(const clap_plugin_entry* entry, const std::string& path) {
    if (!entry->init || !entry->deinit || !entry->get_factory)
        return "the entry leaves a function null";
    std::uint32_t counts[2] = {0, 0};
    for (int round = 0; round < 2; ++round) {
        // Initialised twice, then released twice: init is counted.
        if (!entry->init(path.c_str()))
            return "init answered false in round " + std::to_string(round + 1) + " (first call)";
        if (!entry->init(path.c_str())) {
            entry->deinit();
            return "init answered false when called a second time without deinit";
        }
        const auto* factory =
            static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
        const void* unknown = entry->get_factory("t815.validate.no-such-factory");
        if (factory && factory->get_plugin_count)
            counts[round] = factory->get_plugin_count(factory);
        entry->deinit();
        const auto* still =
            static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
        std::uint32_t countAfterOne = 0;
        if (still && still->get_plugin_count) countAfterOne = still->get_plugin_count(still);
        entry->deinit();
        if (!factory) return "get_factory offers no plug-in factory";
        if (unknown) return "get_factory answers an unknown factory id";
        if (counts[round] == 0) return "the factory holds no plug-in";
        if (countAfterOne != counts[round])
            return "the factory changed after one of two deinits (" +
                   std::to_string(counts[round]) + " plug-ins, then " +
                   std::to_string(countAfterOne) + ")";
    }
    if (counts[0] != counts[1])
        return "the factory holds " + std::to_string(counts[0]) + " plug-ins, then " +
               std::to_string(counts[1]) + " after a deinit and init";
    return "";
}

std::string text(const char* value) {
    return value ? value : "(null)";
}

std::string descriptorProblem(const clap_plugin_descriptor* descriptor, bool& instrument) {
    if (!descriptor) return "get_plugin_descriptor answers null";
    const std::string who = "'" + text(descriptor->id) + "'";
    if (!clap_version_is_compatible(descriptor->clap_version))
        return who + " declares CLAP " + std::to_string(descriptor->clap_version.major) + "." +
               std::to_string(descriptor->clap_version.minor);
    if (!descriptor->id || !*descriptor->id) return "a descriptor without an id";
    if (!descriptor->name || !*descriptor->name) return who + " has no name";
    if (!descriptor->version || !*descriptor->version) return who + " has no version";
    if (!descriptor->features) return who + " has no feature list (null)";
    int count = 0;
    for (; count < kMaxFeatures && descriptor->features[count]; ++count) {
        const char* feature = descriptor->features[count];
        if (!*feature) return who + ": feature " + std::to_string(count) + " is empty";
        if (!std::strcmp(feature, CLAP_PLUGIN_FEATURE_INSTRUMENT)) instrument = true;
    }
    if (count == kMaxFeatures)
        return who + "'s features are not ended by null within " + std::to_string(kMaxFeatures);
    return "";
}

// Each table of function pointers the validator knows, with its size.
struct KnownExtension {
    const char* id;
    std::size_t functions;
};

const KnownExtension kExtensions[] = {
    {CLAP_EXT_PARAMS, sizeof(clap_plugin_params) / sizeof(void*)},
    {CLAP_EXT_STATE, sizeof(clap_plugin_state) / sizeof(void*)},
    {CLAP_EXT_AUDIO_PORTS, sizeof(clap_plugin_audio_ports) / sizeof(void*)},
    {CLAP_EXT_NOTE_PORTS, sizeof(clap_plugin_note_ports) / sizeof(void*)},
    {CLAP_EXT_GUI, sizeof(clap_plugin_gui) / sizeof(void*)},
    {CLAP_EXT_LATENCY, sizeof(clap_plugin_latency) / sizeof(void*)},
    {CLAP_EXT_TIMER_SUPPORT, sizeof(clap_plugin_timer_support) / sizeof(void*)},
    {CLAP_EXT_POSIX_FD_SUPPORT, sizeof(clap_plugin_posix_fd_support) / sizeof(void*)},
};

} // namespace

void checkClapIdentity(Validation& validation) {
    Report& report = validation.report;
    beginCheck(report, "identity.entry");
    PluginLibrary library;
    std::string error;
    if (!loadVstOrClapLibrary(library, validation.pluginPath, error) || !library.clapEntry)
        return endCheck(report, Verdict::Fail, error.empty() ? "no clap_entry" : error);
    const std::string problem = entryProblem(library.clapEntry, library.fullPath);
    unloadPluginLibrary(library);
    endCheck(report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "init and deinit twice over, the factory unchanged" : problem);

    beginCheck(report, "identity.descriptor");
    HostedPlugin plugin;
    if (!loadClap(validation, plugin, error)) return endCheck(report, Verdict::Fail, error);
    ClapInstance& clap = *plugin.clap;
    std::string found;
    bool instrument = false;
    std::set<std::string> ids;
    const std::uint32_t count = clap.factory->get_plugin_count(clap.factory);
    for (std::uint32_t i = 0; i < count && found.empty(); ++i) {
        const clap_plugin_descriptor* descriptor =
            clap.factory->get_plugin_descriptor(clap.factory, i);
        bool isInstrument = false;
        found = descriptorProblem(descriptor, isInstrument);
        if (found.empty() && !ids.insert(descriptor->id).second)
            found =
                "two plug-ins of the factory share the id '" + std::string(descriptor->id) + "'";
        if (found.empty() && descriptor == clap.plugin->desc) instrument = isInstrument;
    }
    if (found.empty() && clap.factory->get_plugin_descriptor(clap.factory, count) != nullptr)
        found = "get_plugin_descriptor answers an index beyond the count";
    if (found.empty() &&
        (!clap.plugin->desc || !clap.plugin->desc->id || !ids.count(clap.plugin->desc->id)))
        found = "the plug-in's desc is none of the factory's descriptors";
    if (!found.empty()) {
        endCheck(report, Verdict::Fail, found);
    } else {
        const clap_plugin_descriptor* desc = clap.plugin->desc;
        std::string features;
        for (int i = 0; desc->features[i]; ++i)
            features += std::string(i ? " " : "") + desc->features[i];
        endCheck(report, instrument ? Verdict::Pass : Verdict::Note,
                 "'" + std::string(desc->id) + "' '" + desc->name + "' " + desc->version + " (" +
                     features + ")" + (instrument ? "" : ": not declared an instrument"));
    }

    beginCheck(report, "identity.extensions");
    std::string offered, incomplete;
    for (const KnownExtension& known : kExtensions) {
        const void* table = clap.plugin->get_extension(clap.plugin, known.id);
        if (!table) continue;
        offered += (offered.empty() ? "" : " ") + std::string(known.id);
        const auto* functions = static_cast<void* const*>(table);
        for (std::size_t f = 0; f < known.functions; ++f)
            if (!functions[f]) {
                incomplete += (incomplete.empty() ? "" : "; ") + std::string(known.id) +
                              " leaves function " + std::to_string(f + 1) + " null";
                break;
            }
    }
    if (clap.plugin->get_extension(clap.plugin, "t815.validate.no-such-extension"))
        incomplete += (incomplete.empty() ? "" : "; ") +
                      std::string("get_extension answers an unknown id with a table");
    unloadHostedPlugin(plugin);
    endCheck(report, incomplete.empty() ? Verdict::Pass : Verdict::Fail,
             incomplete.empty() ? "offers " + (offered.empty() ? "none" : offered) : incomplete);
}
