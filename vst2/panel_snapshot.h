// A vendor-specific dispatcher call that paints the panel into memory the
// host supplies, with no window and no window system: how t815-render saves
// the panel as a picture where no display is reachable. Hosts that do not
// know the index never send it.
//
//   dispatcher(effect, effVendorSpecific, kPanelSnapshotIndex, stride, pixels, 0)
//
// pixels: kEditorWidth x kEditorHeight pixels of four bytes (red, green,
// blue, 255), rows `stride` bytes apart (stride >= kEditorWidth x 4). The
// answer is 1 when the panel was painted, 0 otherwise (no off-screen panel
// on this platform, a null buffer, a short stride).
#pragma once

#include <cstdint>

namespace t815 {

// The four characters 'T', '8', 'P', 'n', most significant byte first.
constexpr std::int32_t kPanelSnapshotIndex = 0x5438506E;

} // namespace t815
