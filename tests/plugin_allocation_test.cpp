// Heap use of the plug-in library: nothing on the real-time path (audio
// blocks, MIDI, program changes, parameter writes), and a construction that
// runs out of memory returns null and leaks nothing.
//
// Native Linux only: the test replaces malloc and friends in this executable,
// and the dlopen'ed t815.so, which takes malloc from the global scope, then
// allocates through them too. A Windows DLL links its own static copy of the
// C and C++ runtime, so no test program can see into its heap that way.
#include "plugin_host_fixture.h"

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> releases{0};
// While counting: allocations fail once this many have succeeded (-1: never).
std::atomic<long> allocationsBeforeFailure{-1};

bool allowAllocation() {
    if (!counting) return true;
    if (allocationsBeforeFailure >= 0 && allocations >= allocationsBeforeFailure) return false;
    ++allocations;
    return true;
}

void startCounting(long failAfter = -1) {
    allocations = 0;
    releases = 0;
    allocationsBeforeFailure = failAfter;
    counting = true;
}

void stopCounting() {
    counting = false;
}

} // namespace

extern "C" void* malloc(std::size_t size) {
    return allowAllocation() ? __libc_malloc(size) : nullptr;
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    return allowAllocation() ? __libc_calloc(count, size) : nullptr;
}
extern "C" void* realloc(void* block, std::size_t size) {
    return allowAllocation() ? __libc_realloc(block, size) : nullptr;
}
extern "C" void free(void* block) {
    if (block && counting) ++releases;
    __libc_free(block);
}

namespace t815::test {
namespace {

TEST(PluginAllocation, ConstructionThatRunsOutOfMemoryReturnsNullAndLeaksNothing) {
    PluginEntryProc entry = pluginEntry(); // loading allocates; done before counting
    ASSERT_NE(entry, nullptr);
    long failAfter = 0;
    for (;; ++failAfter) {
        ASSERT_LT(failAfter, 10000) << "construction never succeeds";
        startCounting(failAfter);
        AEffect* effect = entry(nullptr);
        stopCounting();
        if (effect) {
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
            break;
        }
        EXPECT_EQ(allocations, releases) << "leak when allocation " << failAfter << " fails";
    }
    EXPECT_GT(failAfter, 1); // the instance and the core's storage were both exercised
}

TEST(PluginAllocation, ClosingReleasesEverythingConstructionTook) {
    PluginEntryProc entry = pluginEntry();
    ASSERT_NE(entry, nullptr);
    startCounting();
    AEffect* effect = entry(nullptr);
    ASSERT_NE(effect, nullptr);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    stopCounting();
    EXPECT_GT(allocations, 0);
    EXPECT_EQ(allocations, releases);
}

TEST_F(PluginTest, RealTimeWorkAllocatesNothing) {
    RealTimeWork work; // built before counting starts
    startCounting();
    work.play(effect);
    stopCounting();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(releases, 0);
    EXPECT_FALSE(allZero(work.left));
}

} // namespace
} // namespace t815::test
