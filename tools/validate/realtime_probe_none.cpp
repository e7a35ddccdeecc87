// Where the plug-in's heap and lock calls cannot be seen (see the header).
#include "realtime_probe.h"

bool probeAvailable(std::string& whyNot) {
#ifdef _WIN32
    whyNot = "a Windows DLL has its own C runtime, whose heap and lock calls no host sees";
#else
    whyNot = "a sanitizer build owns malloc and the locks: not measurable in this build";
#endif
    return false;
}

void beginRealtimeSection() {}

ProbeCounts endRealtimeSection() {
    return {};
}

void beginHeapBalance() {}

ProbeCounts endHeapBalance() {
    return {};
}
