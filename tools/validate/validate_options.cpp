// Command-line parsing for t815-validate.
#include "validate_options.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool parseNumber(const std::string& text, unsigned long long& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

} // namespace

bool parseValidateOptions(const std::vector<std::string>& arguments, ValidateOptions& options,
                          std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument == "--version") {
            options.version = true;
            return true;
        }
        const bool takesValue = argument == "--strictness" || argument == "--seed" ||
                                argument == "--json" || argument == "--only" ||
                                argument == "--plugin-id";
        if (takesValue && i + 1 >= arguments.size()) {
            error = argument + " needs a value";
            return false;
        }
        if (argument == "--strictness") {
            unsigned long long value = 0;
            if (!parseNumber(arguments[++i], value) || value < 1 || value > 10) {
                error = "--strictness takes 1 to 10, not '" + arguments[i] + "'";
                return false;
            }
            options.strictness = static_cast<int>(value);
        } else if (argument == "--seed") {
            unsigned long long value = 0;
            if (!parseNumber(arguments[++i], value)) {
                error = "--seed takes a whole number, not '" + arguments[i] + "'";
                return false;
            }
            options.seed = value;
            options.seedGiven = true;
        } else if (argument == "--json") {
            options.jsonPath = arguments[++i];
        } else if (argument == "--only") {
            options.only = arguments[++i];
        } else if (argument == "--plugin-id") {
            options.pluginId = arguments[++i];
        } else if (!argument.empty() && argument[0] == '-') {
            error = "unknown option '" + argument + "'";
            return false;
        } else if (options.pluginPath.empty()) {
            options.pluginPath = argument;
        } else {
            error = "one plug-in at a time ('" + options.pluginPath + "' and '" + argument + "')";
            return false;
        }
    }
    if (options.pluginPath.empty()) {
        error = "no plug-in given";
        return false;
    }
    return true;
}

std::string validateHelpText() {
    return "usage: t815-validate PLUGIN [--strictness 1..10] [--seed N] [--json FILE] "
           "[--only CHECK]\n"
           "                     [--plugin-id ID]\n"
           "\n"
           "Loads a VST 2.4 instrument (.so, .dll) through its entry point, or a CLAP one\n"
           "(.clap) through its clap_entry, and checks it as hosts use it. Each check prints\n"
           "one line: its name, pass, FAIL, note or n/a (not measurable here), and the\n"
           "detail; a failure says how to repeat it.\n"
           "\n"
           "  --strictness N  1 (quick) to 10 (everything, longest); default 5\n"
           "  --seed N        the seed of every random choice; default: from the clock\n"
           "  --json FILE     also write the findings as JSON\n"
           "  --only CHECK    run one family (audio), or the family of a check\n"
           "  --plugin-id ID  the CLAP plug-in to check when the library holds several\n"
           "  --version       print the version, then exit\n"
           "\n"
           "VST 2.4 families, from strictness: identity, programs, parameters 1; lifecycle 3;\n"
           "audio at every rate 4; editor, automation 5; realtime 6; threads 7; instances 8.\n"
           "\n"
           "CLAP families, from strictness: identity (the entry's init and deinit, the\n"
           "descriptors, the extensions offered), parameters (ids, ranges, texts, hostile\n"
           "values, get_value after events), state (round trip; empty, truncated, random\n"
           "and failing streams), ports (audio, note, latency), audio (offsets; every rate\n"
           "from 4, more block sizes from 4 and 8) 1; lifecycle 3; gui (in a real window;\n"
           "timers and descriptors) 5; realtime 6; threads (the host's thread check) 7;\n"
           "instances 8.\n"
           "\n"
           "Exit codes: 0 every check passed, 1 a check failed (or the plug-in crashed),\n"
           "2 bad command line, 3 the library cannot be loaded or is not a VST 2.4 or CLAP\n"
           "plug-in (or holds no CLAP plug-in of the id asked for), 4 the JSON file cannot\n"
           "be written, 5 internal error.\n";
}
