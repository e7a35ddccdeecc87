// The programs' common frame: messages, help and version, and main's guard.
#include "tool_main.h"

#include "platform_io.h"
#include "t815_version.h"

#include <cstdio>
#include <exception>
#include <new>

int failTool(const ToolIdentity& tool, int code, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", tool.name, message.c_str());
    return code;
}

int failUsage(const ToolIdentity& tool, int code, const std::string& error) {
    return failTool(tool, code, error + " (see --help)");
}

bool answerHelpOrVersion(const ToolIdentity& tool, bool help, bool version,
                         const std::string& helpText) {
    if (help)
        std::fputs(helpText.c_str(), stdout);
    else if (version)
        std::printf("%s %s\n", tool.name, kProjectVersion);
    return help || version;
}

int runTool(const ToolIdentity& tool, int argc, char** argv,
            int (*run)(const std::vector<std::string>& arguments)) {
    try {
        useUtf8Console();
        return run(utf8Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        return failTool(tool, tool.internalExit, "out of memory");
    } catch (const std::exception& exception) {
        return failTool(tool, tool.internalExit,
                        std::string("internal error: ") + exception.what());
    }
}
