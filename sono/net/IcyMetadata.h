#pragma once
// ICY metadata: the text blocks a radio server interleaves with the audio,
// such as "StreamTitle='Artist - Title';StreamUrl='';".
#include <optional>
#include <string>
#include <string_view>

namespace sono::net {

// The block's text without the NUL padding that fills it to a multiple of 16.
std::string_view MetadataText(std::string_view block);

// The StreamTitle value, bytes kept as sent (stations use any code page).
// Quotes and semicolons inside the title do not end it: only a "';" that is
// followed by the end or by another "Key='" does. Nullopt without the key.
std::optional<std::string> StreamTitle(std::string_view block);

}  // namespace sono::net
