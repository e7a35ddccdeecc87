// The period split at its events' offsets.
#include "timed_midi.h"

#include "instrument_render.h"

namespace t815 {

void renderWithTimedMidi(PluginInstance& instance, float* left, float* right, std::uint32_t frames,
                         const void* list, std::uint32_t count, TimedMidiReader read) {
    std::uint32_t done = 0;
    const auto renderUpTo = [&](std::uint32_t end) {
        if (end <= done) return;
        renderInstrumentBlock(instance, left + done, right ? right + done : nullptr,
                              static_cast<std::int32_t>(end - done));
        done = end;
    };
    for (std::uint32_t i = 0; read && i < count; ++i) {
        TimedMidi event{};
        if (!read(list, i, event)) continue;
        renderUpTo(event.frame < frames ? event.frame : frames);
        receiveMidi(instance, &event.message, 1);
    }
    renderUpTo(frames);
}

} // namespace t815
