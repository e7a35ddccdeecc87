// A vendor-specific dispatcher call that paints the panel into memory the
// host supplies, with no window and no window system: how t815-render saves
// the panel as a picture where no display is reachable. Hosts that do not
// know the index never send it.
//
//   dispatcher(effect, effVendorSpecific, kPanelSnapshotIndex, stride, pixels, 0)
//
// pixels: the editor's size as effEditGetRect gives it, in pixels of four
// bytes (red, green, blue, 255), rows `stride` bytes apart (stride >= the
// width x 4). The answer is 1 when the panel was painted, 0 otherwise (no
// off-screen panel on this platform, a null buffer, a short stride).
//
// The scale hosts ask for, in the way several hosts already send it:
//
//   dispatcher(effect, effVendorSpecific, kEditorScaleIndex, kEditorScaleValue, 0, factor)
//
// answers 1 when the factor (finite, above 0) was taken; the editor's size,
// effEditGetRect and the snapshot follow it.
#pragma once

#include <cstdint>

namespace t815 {

// The four characters 'T', '8', 'P', 'n', most significant byte first.
constexpr std::int32_t kPanelSnapshotIndex = 0x5438506E;

// 'PreS' and 'AeCs', most significant byte first.
constexpr std::int32_t kEditorScaleIndex = 0x50726553;
constexpr std::int32_t kEditorScaleValue = 0x41654373;

} // namespace t815
