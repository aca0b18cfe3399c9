#pragma once
// The menu commands' identifiers: stable, so that a test can post them.
#include <windows.h>

namespace quorvane {

inline constexpr UINT kCommandNewSkin = 101;
inline constexpr UINT kCommandOpen = 102;
inline constexpr UINT kCommandSave = 103;
inline constexpr UINT kCommandExit = 104;
inline constexpr UINT kCommandRefresh = 105;
inline constexpr UINT kCommandWebsite = 106;

// Posted to itself: bitmaps that could not be used wait to be reported
// until the redraw that found them is over.
inline constexpr UINT kReportPicturesMessage = WM_APP + 1;

}  // namespace quorvane
