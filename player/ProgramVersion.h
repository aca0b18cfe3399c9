#pragma once
// The player's version as the user sees it (about text, options window).
namespace player {
inline constexpr char kProgramVersion[] = "3.30";
}  // namespace player
