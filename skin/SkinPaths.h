#pragma once
// File paths inside skin.ini: relative to the skin folder, or absolute.
#include <string>
#include <string_view>

namespace sv::skin {

// An absolute value ("X:\...", "X:/...", "\\server\...") stands as it is;
// any other is appended unchanged to the folder (which ends with "\"), so
// "..\default\img_play.bmp" reaches the sibling folder.
std::string ResolveSkinPath(std::string_view folder, std::string_view value);

// The value to store for a file chosen by the user: relative to the skin
// folder ("..\" per level to climb, folder names compared ignoring case),
// the full path when it lies on another drive.
std::string RelativeSkinPath(std::string_view folder, std::string_view file);

}  // namespace sv::skin
