#pragma once
// The messenger's now-playing text: a zero-filled 256-byte buffer holding
// one UTF-16 text whose fields are each preceded by the two characters
// backslash and "0". A text that does not fit is sent empty.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace player {

inline constexpr std::uintptr_t kMsnCopyDataId = 0x547;
inline constexpr std::size_t kMsnBufferBytes = 256;
// The text with its own closing zero; the buffer's last unit stays zero.
inline constexpr std::size_t kMsnMaxUnits = 127;

using MsnBuffer = std::array<std::uint8_t, kMsnBufferBytes>;

// Kind 0 clears the display ("Music", state 0), 1 plays music, 2 a game,
// 3 office work. The result holds the text's own closing zero.
std::u16string MsnNowPlayingText(std::string_view artist, std::string_view album, std::string_view title, int kind);

// The buffer as sent: the text, little-endian, or all zero when it is
// longer than kMsnMaxUnits.
MsnBuffer MsnNowPlayingBuffer(std::string_view artist, std::string_view album, std::string_view title, int kind);

}  // namespace player
