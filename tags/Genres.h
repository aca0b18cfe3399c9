#pragma once
// The ID3v1 genre list (0-79) with the extended genres 80-147, in index
// order and in the spelling the published list uses ("AlternRock",
// "Psychadelic", "Bebob", "A capella"…). Both ID3 formats refer to it by
// index.
#include <array>
#include <cstdint>
#include <string_view>

namespace sv::tags {

constexpr std::uint8_t kNoGenre = 255;

extern const std::array<std::string_view, 148> GenreNames;

// The index of the first name equal to `name` ignoring ASCII case, or
// kNoGenre.
std::uint8_t FindGenre(std::string_view name);

}  // namespace sv::tags
