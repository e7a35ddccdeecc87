// The real-time calls allocate nothing, on every target: audio blocks, MIDI
// lists, program changes, parameter writes and sample rates, also while
// another thread changes things at once and when the change queue runs full
// and a host thread has to apply the backlog itself. Runs against a test
// copy of the plug-in whose heap calls are counted (allocation_probe.cpp).
#include "plugin_host_fixture.h"

#include <thread>

namespace t815::test {
namespace {

using CountAllocations = void (*)(int);
using CountedAllocations = long (*)();

template <typename Function> Function probeFunction(const char* name) {
    void* library = loadPluginLibrary();
#ifdef _WIN32
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)));
#else
    return reinterpret_cast<Function>(dlsym(library, name));
#endif
}

TEST_F(PluginTest, RealTimeCallsAllocateNothingEvenUnderContentionAndOverflow) {
    const auto countAllocations = probeFunction<CountAllocations>("t815CountAllocations");
    const auto counted = probeFunction<CountedAllocations>("t815CountedAllocations");
    ASSERT_TRUE(countAllocations && counted);

    countAllocations(1); // the counter sees the library's heap calls at all
    AEffect* other = pluginEntry()(nullptr);
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_GT(counted(), 0);

    RealTimeWork work; // built before counting starts
    countAllocations(1);
    std::thread contender([&] {
        for (int i = 0; i < 3000; ++i) {
            effect->setParameter(effect, i % 5, (i % 7) / 6.0f);
            dispatch(effProcessEvents, 0, 0, work.events[i % 64]);
        }
    });
    work.play(effect);
    contender.join();
    for (int i = 0; i < 3 * 4096; ++i) // far more than the queue holds, with no block
        effect->setParameter(effect, kParamVolume, (i % 100) / 100.0f);
    effect->processReplacing(effect, nullptr, work.outputs, 512);
    countAllocations(0);
    EXPECT_EQ(counted(), 0);
    EXPECT_FALSE(allZero(work.left));
}

} // namespace
} // namespace t815::test
