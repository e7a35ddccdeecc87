// The core's owner's side of the hand-off: every queued change applied to
// the core and the settings it renders with, in order.
#pragma once

namespace t815 {

struct PluginInstance;

// Applies every fully published run of the queue, in order, hands the cells
// back and publishes the held keys. Only the core's owner calls it.
void applyQueuedChanges(PluginInstance& instance);

} // namespace t815
