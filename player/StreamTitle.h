#pragma once
// What an internet radio tells about itself: the station name from the ICY
// response headers and the current title from the in-stream metadata. Both
// come from the network, so every read stays inside the bytes given (which
// may be none) and text is UTF-8 when the bytes are valid UTF-8, else
// Windows-1252.
#include <cstddef>
#include <optional>
#include <string>

namespace player {

// The headers as the engine lists them: texts one after the other, each
// ended by a zero byte, the list ended by an empty text (or by the end of the
// buffer). The first text starting exactly with "icy-name:" gives the name:
// everything after the colon, blanks kept. Nothing when there is none.
std::optional<std::string> StationNameFromHeaders(const char* list, std::size_t size);

// The title of a metadata block "StreamTitle='Artist - Song';StreamUrl='';",
// trimmed. The value ends at the first "';" after the opening quote, else at
// the next ';', else at the end of the data (a zero byte ends the data too).
// Empty when there is no "StreamTitle=".
std::string StreamTitleFromMetadata(const char* data, std::size_t size);

}  // namespace player
