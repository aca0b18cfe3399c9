#pragma once
// Frames of other ID3v2 versions carried into a version 2.3 tag: version
// 2.2 frames under their 2.3 IDs, version 2.4 frames with their encodings,
// flags and recording time in the forms version 2.3 readers know.
#include <cstdint>
#include <string>
#include <string_view>

namespace sv::tags::id3 {

// The version 2.3 ID of a version 2.2 frame; empty when 2.3 has none.
std::string_view UpgradeId(std::string_view v22id);
// A version 2.2 frame's data as the data of its version 2.3 frame (a
// picture's format becomes a MIME type, a link's frame ID a 2.3 ID). False
// when the frame has no 2.3 form.
bool UpgradeData(std::string_view v22id, std::string_view data, std::string& out);

// A version 2.4 frame's data (frame encodings undone) with its texts in
// encodings 2 and 3 rewritten as encoding 1: text frames, comments, lyrics,
// links, pictures, objects, synchronised lyrics, terms of use, ownership and
// commercial frames. Other frames, and data that does not follow its
// frame's layout, come back unchanged.
std::string DowngradeData(std::string_view id, std::string_view data);
// Whether DowngradeData knows the layout of frames with this ID.
bool HasTextLayout(std::string_view id);

// The version 2.3 frame data of a version 2.4 frame whose format flags ask
// for compression or encryption, which version 2.3 marks and lays out
// differently: `payload` is the stored frame, `formatFlags` its second flag
// byte. False when it cannot be expressed (compressed without the data
// length that version 2.3 needs, or bytes missing).
bool DowngradeEncodedFrame(std::string_view payload, std::uint8_t formatFlags, bool tagUnsync,
                           std::string& data, std::uint8_t& v23Flags);

// A version 2.4 recording time ("yyyy-MM-ddTHH:mm:ss", cut anywhere after
// the year) as version 2.3's year ("yyyy"), date ("ddMM") and time ("HHmm");
// date and time empty when the text stops before them. False when it does
// not start with a four-digit year.
struct Date23 {
  std::string year, date, time;
};
bool SplitRecordingTime(std::string_view text, Date23& out);

}  // namespace sv::tags::id3
