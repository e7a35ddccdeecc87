// The CLAP face's audio thread allocates nothing, on every target: blocks
// with notes, chokes, MIDI, parameter values and program selects at every
// offset, the parameter reports it pushes, while the main thread reads
// values, texts and state at once. Runs against a test copy of t815.clap
// whose heap calls are counted (allocation_probe.cpp).
#include "clap_host_fixture.h"

#include <atomic>
#include <deque>
#include <thread>

namespace t815::test {
namespace {

using CountAllocations = void (*)(int);
using CountedAllocations = long (*)();

template <typename Function> Function probeFunction(const char* name) {
#ifdef _WIN32
    HMODULE library = GetModuleHandleA("t815_clap_allocation_probe.dll");
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
#else
    void* library = dlopen(T815_CLAP_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    return reinterpret_cast<Function>(dlsym(library, name));
#endif
}

// Discards what it is given: the host side allocates nothing either.
struct SaveSink {
    clap_ostream stream{nullptr, write};
    static std::int64_t CLAP_CALL write(const clap_ostream*, const void*, std::uint64_t size) {
        return static_cast<std::int64_t>(size);
    }
};

TEST(ClapRealTime, ProcessAllocatesNothingWhileTheMainThreadReads) {
    ASSERT_NE(clapEntry(), nullptr);
    const auto countAllocations = probeFunction<CountAllocations>("t815CountAllocations");
    const auto counted = probeFunction<CountedAllocations>("t815CountedAllocations");
    ASSERT_TRUE(countAllocations && counted);
    countAllocations(1); // the counter sees the library's heap calls at all
    { ClapInstance other; }
    EXPECT_GT(counted(), 0);

    ClapInstance clap;
    clap.activate(48000);
    // Everything the blocks need is built before counting starts.
    std::deque<InputEvents> blocks; // they stay where they are made
    for (int b = 0; b < 64; ++b) {
        const std::uint32_t at = (b * 37) % 256;
        const int key = 36 + (b * 7) % 49;
        blocks.emplace_back(std::vector<AnyEvent>{
            noteOn(0, key), clapMidi(at / 2, 0xB0, 1, b * 2),
            paramEvent(at / 2, b % 5, (b % 11) / 10.0), clapMidi(at, 0xC0, (b * 5) % 32, 0),
            noteOff(at, key - 5), noteEvent(CLAP_EVENT_NOTE_CHOKE, at, key - 12),
            paramEvent(at, 5, (b * 3) % 32), noteEvent(CLAP_EVENT_NOTE_OFF, 255, -1, -1)});
    }
    std::vector<float> left(256), right(256);
    float* channels[2] = {left.data(), right.data()};
    clap_audio_buffer output{channels, nullptr, 2, 0, 0};
    OutputEvents reports;
    reports.events.reserve(400 * 16);
    clap_process block{};
    block.frames_count = 256;
    block.audio_outputs = &output;
    block.audio_outputs_count = 1;
    block.out_events = &reports.list;

    std::atomic<bool> done{false};
    countAllocations(1);
    std::thread mainThread([&] {
        SaveSink sink;
        char text[64];
        for (int i = 0; !done; ++i) {
            double value;
            clap.params->get_value(clap.plugin, i % 6, &value);
            clap.params->value_to_text(clap.plugin, i % 6, value, text, sizeof text);
            clap.state->save(clap.plugin, &sink.stream);
        }
    });
    bool sounded = false;
    for (int b = 0; b < 400; ++b) {
        block.in_events = &blocks[b % 64].list;
        clap.plugin->process(clap.plugin, &block);
        for (float s : left)
            sounded |= s != 0.0f;
    }
    done = true;
    mainThread.join();
    countAllocations(0);
    EXPECT_EQ(counted(), 0);
    EXPECT_TRUE(sounded);
    EXPECT_FALSE(reports.events.empty());
}

} // namespace
} // namespace t815::test
