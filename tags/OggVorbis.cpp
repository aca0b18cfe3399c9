#include "tags/OggVorbis.h"

#include <algorithm>
#include <cmath>

#include "base/Ascii.h"
#include "base/Utf.h"
#include "tags/Bytes.h"
#include "tags/Id3v2Prefix.h"
#include "tags/OggChain.h"
#include "tags/OggPage.h"
#include "tags/OggPageWriter.h"
#include "tags/SafeRewrite.h"
#include "tags/TextUtil.h"
#include "tags/VorbisComment.h"

namespace sv::tags {
namespace {

constexpr std::size_t kMaxIdPacket = 64 * 1024;
constexpr std::size_t kMaxCommentPacket = 16 * 1024 * 1024;
constexpr std::size_t kIdPacketSize = 30;
// The last page is looked for in this many bytes at the end of the file.
constexpr std::uint64_t kGranuleSearch = 12060;

// What reading the headers found.
struct Headers {
  std::uint64_t id3Size = 0;
  std::uint32_t serial = 0;
  std::string id;  // identification packet
  // Comment packet: NoTag when the stream has none where expected.
  TagStatus commentStatus = TagStatus::NoTag;
  OggPacket commentPacket;
  VorbisCommentPacket comment;
  OggLastPage last;  // the last page with a granule position
};

// The granule position, serial and sequence number of the last page that
// has one, found by looking backwards from the end for a page header. A
// page of another stream than the first one counts only when it lies whole
// in the bytes looked at and its checksum holds, so that "OggS" inside
// audio data is not taken for one.
TagStatus FindLastGranule(RandomAccessFile& file, std::uint64_t size, std::uint32_t serial, OggLastPage& last) {
  last = OggLastPage{serial, 0, 0};
  const auto n = static_cast<std::size_t>(std::min(size, kGranuleSearch));
  std::string tail;
  if (!ReadUpTo(file, size - n, n, tail) || tail.size() != n) return TagStatus::IoError;
  for (std::size_t i = n >= kOggHeaderSize ? n - kOggHeaderSize + 1 : 0; i-- > 0;) {
    if (tail[i] != 'O' || tail.compare(i, 4, "OggS") != 0) continue;
    const std::string_view at = std::string_view(tail).substr(i);
    OggPage page;
    if (!ParseOggPageHeader(at, page) || page.granule == kOggNoGranule) continue;
    if (page.serial != serial) {
      const std::uint64_t length = page.HeaderSize() + page.BodySize();
      if (length > at.size() || !OggPageCrcValid(page, at.substr(page.HeaderSize(), page.BodySize()))) continue;
    }
    last = OggLastPage{page.serial, page.sequence, page.granule};
    break;
  }
  return TagStatus::Ok;
}

// Reads the identification and comment headers. NoTag when there is no
// Vorbis stream; the comment's own outcome is in commentStatus.
TagStatus ReadHeaders(RandomAccessFile& file, std::uint64_t size, bool keepBodies, Headers& h) {
  if (!LeadingId3v2Size(file, size, h.id3Size)) return TagStatus::IoError;
  OggPacket id;
  const TagStatus idRead = ReadOggPacket(file, h.id3Size, size, kMaxIdPacket, false, id);
  if (idRead == TagStatus::IoError) return idRead;
  if (idRead != TagStatus::Ok || id.bytes.size() < kIdPacketSize || id.bytes.compare(0, 7, "\x01vorbis", 7) != 0)
    return TagStatus::NoTag;
  h.id = std::move(id.bytes);
  h.serial = id.pages.front().serial;

  // The comment packet starts the page after the identification packet.
  const OggPage& idLast = id.pages.back();
  if (id.endSegment == idLast.lacing.size()) {
    h.commentStatus = ReadOggPacket(file, idLast.End(), size, kMaxCommentPacket, keepBodies, h.commentPacket);
    if (h.commentStatus == TagStatus::IoError) return h.commentStatus;
    if (h.commentStatus == TagStatus::Ok) {
      h.commentStatus = h.commentPacket.pages.front().serial != h.serial
                            ? TagStatus::NoTag
                            : ParseVorbisComment(h.commentPacket.bytes, h.comment);
    } else if (h.commentStatus == TagStatus::Malformed) {
      h.commentStatus = TagStatus::NoTag;  // no page where the comment belongs
    }
  }
  return FindLastGranule(file, size, h.serial, h.last);
}

std::uint16_t TrackOf(std::string_view text) {
  return static_cast<std::uint16_t>(ParseDecimal(text.substr(0, text.find('/')), 65535) % 256);
}

// Text as written: trimmed, and valid UTF-8 whatever the caller held.
std::string Clean(std::string_view text) { return Utf16ToUtf8(Utf8ToUtf16(Trim(text))); }

// Applies the object's fields to the stored comment: only a field whose
// value differs from what the stored items show replaces them.
struct Changes {
  const TOggVorbis& tag;
  VorbisCommentPacket& comment;
  VorbisFields shown;

  void Text(const std::string& now, const std::string& was, VorbisName name, VorbisName fallback) {
    if (Trim(now) == was) return;
    const std::string value = Clean(now);
    ReplaceVorbisItems(comment, kVorbisNameText[name], value);
    // Clearing a field that showed its fallback name clears that too, or
    // the old value would come back on the next read.
    if (value.empty() && fallback != name) ReplaceVorbisItems(comment, kVorbisNameText[fallback], "");
  }
  void Apply() {
    auto either = [&](VorbisName n, VorbisName f) { return shown.values[n].empty() ? shown.values[f] : shown.values[n]; };
    Text(tag.Title, shown.values[kTitle], kTitle, kTitle);
    Text(tag.Artist, either(kArtist, kPerformer), kArtist, kPerformer);
    Text(tag.Album, shown.values[kAlbum], kAlbum, kAlbum);
    if (tag.Track != TrackOf(shown.values[kTrackNumber]))
      ReplaceVorbisItems(comment, kVorbisNameText[kTrackNumber], tag.Track ? std::to_string(tag.Track) : "");
    Text(tag.Date, shown.values[kDate], kDate, kDate);
    Text(tag.Genre, shown.values[kGenre], kGenre, kGenre);
    Text(tag.Comment, either(kComment, kDescription), kComment, kDescription);
  }
};

// Checks that the headers can be rewritten and builds the new comment
// packet.
TagStatus PlanComment(const TOggVorbis& tag, RandomAccessFile& file, std::uint64_t size, Headers& h,
                      std::string& packet) {
  const TagStatus read = ReadHeaders(file, size, true, h);
  if (read != TagStatus::Ok) return read == TagStatus::NoTag ? TagStatus::Malformed : read;
  if (h.commentStatus == TagStatus::NoTag) return TagStatus::Malformed;
  if (h.commentStatus != TagStatus::Ok) return h.commentStatus;
  // A damaged page would get a fresh checksum that hides the damage.
  if (!h.commentPacket.crcValid) return TagStatus::Malformed;
  Changes changes{tag, h.comment, DecodeVorbisFields(h.comment)};
  changes.Apply();
  packet = BuildVorbisComment(h.comment);
  return TagStatus::Ok;
}

TagStatus WriteRebuilt(RandomAccessFile& source, std::uint64_t size, const Headers& h, const std::string& packet,
                       RandomAccessFile& target) {
  const OggPacket& old = h.commentPacket;
  const std::uint64_t start = old.pages.front().offset;
  const std::uint64_t oldEnd = old.pages.back().End();
  if (!CopyRange(source, 0, start, target, 0)) return TagStatus::IoError;
  std::uint64_t pos = start;
  const std::vector<std::string> pages = LayOutOggPages(old, packet);
  for (const auto& page : pages) {
    if (!target.WriteAt(pos, page.data(), page.size())) return TagStatus::IoError;
    pos += page.size();
  }
  const auto delta = static_cast<std::uint32_t>(pages.size() - old.pages.size());
  if (delta == 0) return CopyRange(source, oldEnd, size - oldEnd, target, pos) ? TagStatus::Ok : TagStatus::IoError;
  return CopyOggPagesRenumbered(source, oldEnd, size, h.serial, delta, target, pos);
}

}  // namespace

void TOggVorbis::ResetData() {
  FileSize = Samples = ID3v2Size = 0;
  ChannelModeID = 0;
  SampleRate = 0;
  BitRateNominal = 0;
  Track = 0;
  Title.clear();
  Artist.clear();
  Album.clear();
  Date.clear();
  Genre.clear();
  Comment.clear();
  Vendor.clear();
  InfoText.clear();
}

bool TOggVorbis::ReadFromFile(const std::string& path) {
  ResetData();
  SizedFile opened;
  Headers h;
  status_ = OpenSized(fs_, path, opened);
  if (status_ == TagStatus::Ok) status_ = ReadHeaders(*opened.file, opened.size, false, h);
  // Each link of a chain restarts its granule positions, so a last page of
  // another stream, or of the same one begun again, gives only the last
  // link's length. Only then are the pages walked: an ordinary file is read
  // at its two ends and at a few pages between. Without a last page the
  // length comes from the nominal rate, as for any such file.
  double chainSeconds = -1;
  bool restarts = false;
  if (status_ == TagStatus::Ok && h.last.serial == h.serial && h.last.granule > 0)
    status_ = OggSerialRestarts(*opened.file, h.id3Size, opened.size, h.last, restarts);
  if (status_ == TagStatus::Ok && (h.last.serial != h.serial || restarts))
    status_ = OggChainSeconds(*opened.file, h.id3Size, opened.size, chainSeconds);
  if (status_ != TagStatus::Ok) return false;

  FileSize = opened.size;
  ChannelModeID = static_cast<std::uint8_t>(h.id[11]);
  SampleRate = LoadLE32(h.id.data() + 12);
  // The nominal rate is signed; 0 or less means "not set".
  const auto nominal = static_cast<std::int32_t>(LoadLE32(h.id.data() + 20));
  BitRateNominal = static_cast<std::uint16_t>(nominal > 0 ? std::min(nominal / 1024, 65535) : 0);
  Samples = h.last.granule;
  if (chainSeconds >= 0) {
    const double samples = std::round(chainSeconds * SampleRate);
    Samples = samples < 1.8e19 ? static_cast<std::uint64_t>(samples) : UINT64_MAX;
  }
  ID3v2Size = h.id3Size;

  const VorbisFields f = DecodeVorbisFields(h.comment);
  Title = f.values[kTitle];
  Artist = f.values[kArtist].empty() ? f.values[kPerformer] : f.values[kArtist];
  Album = f.values[kAlbum];
  Track = TrackOf(f.values[kTrackNumber]);
  Date = f.values[kDate];
  Genre = f.values[kGenre];
  Comment = f.values[kComment].empty() ? f.values[kDescription] : f.values[kComment];
  Vendor = f.vendor;
  InfoText = "Size : " + std::to_string(FileSize) + " bytes\r\n" + "Channels : " + std::to_string(ChannelModeID) +
             "\r\n" + "Sample Rate : " + std::to_string(SampleRate) + " Hz\r\n" +
             "Bitrate Nominal : " + std::to_string(BitRateNominal) + " Kbit/s\r\n";
  status_ = h.commentStatus == TagStatus::Malformed || h.commentStatus == TagStatus::Unsupported ? h.commentStatus
                                                                                            : TagStatus::Ok;
  return true;
}

bool TOggVorbis::SaveTag(const std::string& path) {
  // A first look decides whether anything changes; an unchanged comment
  // leaves the file alone.
  {
    SizedFile opened;
    Headers h;
    std::string packet;
    status_ = OpenSized(fs_, path, opened);
    if (status_ == TagStatus::Ok) status_ = PlanComment(*this, *opened.file, opened.size, h, packet);
    if (status_ != TagStatus::Ok) return false;
    if (packet == h.commentPacket.bytes) return true;
  }
  status_ = RebuildFile(fs_, path, [this](RandomAccessFile& source, std::uint64_t size, RandomAccessFile& target) {
    Headers h;
    std::string packet;
    const TagStatus planned = PlanComment(*this, source, size, h, packet);
    return planned == TagStatus::Ok ? WriteRebuilt(source, size, h, packet, target) : planned;
  });
  return status_ == TagStatus::Ok;
}

double TOggVorbis::Duration() const {
  if (Samples > 0) return SampleRate ? static_cast<double>(Samples) / SampleRate : 0.0;
  if (BitRateNominal && ChannelModeID)
    return static_cast<double>(FileSize - ID3v2Size) / BitRateNominal / ChannelModeID / 125.0 * 2.0;
  return 0.0;
}

std::uint32_t TOggVorbis::BitRate() const {
  const double d = Duration();
  if (!(d > 0)) return 0;
  const double rate = std::round(static_cast<double>(FileSize - ID3v2Size) / d / 125.0);
  return rate < 4294967295.0 ? static_cast<std::uint32_t>(rate) : UINT32_MAX;
}

bool TOggVorbis::IsValid() const {
  return (ChannelModeID == 1 || ChannelModeID == 2 || ChannelModeID == 6) && SampleRate >= 1 && Duration() > 0.1 &&
         BitRate() != 0;
}

}  // namespace sv::tags
