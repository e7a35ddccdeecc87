// The producer side of the change queue.
#include "change_queue.h"

namespace t815 {

bool tryAppendRun(ChangeQueue& queue, const ShellChange* changes, std::uint32_t count,
                  std::uint32_t& firstPosition) {
    std::uint32_t position = queue.reserved.load(std::memory_order_relaxed);
    do {
        // A stale consumed position only underestimates the room.
        const std::uint32_t used = position - queue.consumed.load(std::memory_order_acquire);
        if (count > kChangeQueueCapacity - used) return false;
    } while (!queue.reserved.compare_exchange_weak(
        position, position + count, std::memory_order_acq_rel, std::memory_order_relaxed));
    for (std::uint32_t i = 0; i < count; ++i) {
        ChangeCell& cell = queue.cells[(position + i) & kChangeQueueMask];
        cell.runLength = count;
        cell.change = changes[i];
        cell.published.store(position + i + 1, std::memory_order_release);
    }
    firstPosition = position;
    return true;
}

} // namespace t815
