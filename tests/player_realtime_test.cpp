// What t815-play's JACK process callback does each period, rendering split
// at MIDI events of every kind (notes, program changes, the wheel, bend),
// allocates nothing: this program's operator new counts its calls while
// asked to. (Not in sanitizer builds, whose runtimes own the allocator.)
#include "instrument_operations.h"
#include "timed_midi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (counting.load()) ++allocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace t815::test {
namespace {

bool readEvent(const void* list, std::uint32_t i, TimedMidi& event) {
    event = static_cast<const TimedMidi*>(list)[i];
    return true;
}

TEST(PlayerRealtimeTest, PeriodsSplitAtMidiAllocateNothing) {
    PluginInstance* instance = createPluginInstance({});
    ASSERT_NE(instance, nullptr);
    const TimedMidi events[] = {
        {0, {{0x90, 60, 100}}}, {17, {{0xC0, 7, 0}}},  {17, {{0x90, 64, 90}}},
        {40, {{0xB0, 1, 70}}},  {99, {{0xE0, 0, 80}}}, {200, {{0x80, 60, 0}}},
        {255, {{0x80, 64, 0}}},
    };
    std::vector<float> left(256), right(256);
    counting.store(true);
    for (int period = 0; period < 200; ++period)
        renderWithTimedMidi(*instance, left.data(), right.data(), 256, events,
                            sizeof events / sizeof events[0], readEvent);
    counting.store(false);
    EXPECT_EQ(allocations.load(), 0);
    destroyPluginInstance(instance);
}

} // namespace
} // namespace t815::test
