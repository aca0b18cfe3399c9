#include "tags/ID3v1.h"

#include <cstring>

#include "base/Ascii.h"
#include "tags/AnsiCodec.h"
#include "tags/SafeRewrite.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

constexpr std::size_t kRecordSize = 128;
constexpr std::size_t kApeFooterSize = 32;
constexpr std::size_t kFooterSize = 15;
constexpr std::string_view kBegin = "LYRICSBEGIN";
constexpr std::string_view kFooterId = "LYRICS200";
constexpr std::size_t kFieldHeader = 8;
// A field length has five digits; the block size six, which this cap keeps
// sufficient: 11 + 10 + 7 * (8 + 99,999) bytes at most.
constexpr std::size_t kMaxFieldValue = 99'999;
constexpr std::size_t kLongFrom = 31;  // characters from which a value also goes to the long field

// Where the tags at the end of a file sit.
struct Layout {
  bool record = false;
  bool lyrics = false;
  std::uint32_t lyricsSize = 0;  // the footer's size: "LYRICSBEGIN" through the last field
  std::uint64_t lyricsBegin = 0;
  std::uint64_t cut = 0;  // where the tags start: the file's size when there are none
};

// Finds the record and the Lyrics3 block. False only on a read error. A
// file that ends with an APE footer has no record: its "TAG" belongs to the
// APE tag ("APETAGEX" or an item's text), and the APE reader decides the
// same way.
bool Detect(RandomAccessFile& file, std::uint64_t size, Layout& layout, char* record) {
  layout = Layout{};
  layout.cut = size;
  if (size >= kRecordSize) {
    if (!ReadExact(file, size - kRecordSize, record, kRecordSize)) return false;
    const bool apeFooterLast = std::memcmp(record + kRecordSize - kApeFooterSize, "APETAGEX", 8) == 0;
    if (std::memcmp(record, "TAG", 3) == 0 && !apeFooterLast) {
      layout.record = true;
      layout.cut = size - kRecordSize;
    }
  }
  const std::uint64_t footerEnd = layout.cut;
  if (footerEnd < kFooterSize) return true;
  char footer[kFooterSize];
  if (!ReadExact(file, footerEnd - kFooterSize, footer, kFooterSize)) return false;
  std::uint32_t blockSize = 0;
  if (std::string_view(footer + 6, 9) != kFooterId ||
      !ParseFixedDigits(std::string_view(footer, 6), blockSize) || blockSize < kBegin.size() ||
      blockSize > footerEnd - kFooterSize)
    return true;
  const std::uint64_t begin = footerEnd - kFooterSize - blockSize;
  char mark[11];
  if (!ReadExact(file, begin, mark, sizeof mark)) return false;
  if (std::string_view(mark, sizeof mark) != kBegin) return true;
  layout.lyrics = true;
  layout.lyricsSize = blockSize;
  layout.lyricsBegin = begin;
  layout.cut = begin;
  return true;
}

// Calls `visit(id, value)` for each field of a block's body (after
// "LYRICSBEGIN"). A size that is not five digits, or a field running past
// the end, ends the walk without storing anything.
template <typename Visit>
void WalkFields(std::string_view body, Visit visit) {
  std::size_t pos = 0;
  while (body.size() - pos >= kFieldHeader) {
    std::uint32_t length = 0;
    if (!ParseFixedDigits(body.substr(pos + 3, 5), length) ||
        length > body.size() - pos - kFieldHeader)
      return;
    if (!visit(body.substr(pos, 3), body.substr(pos + kFieldHeader, length))) return;
    pos += kFieldHeader + length;
  }
}

// The fields a block may hold; any other ID ends the walk.
bool IsKnownField(std::string_view id) {
  return id == "IND" || id == "LYR" || id == "INF" || id == "AUT" || id == "EAL" || id == "EAR" ||
         id == "ETT" || id == "IMG";
}

std::string FromAnsi(std::string_view bytes) { return AnsiToUtf8(bytes); }

// A record field as text: up to its first NUL (what follows is left-over
// bytes, not text), trailing blanks and controls removed.
std::string RecordText(const char* record, std::size_t offset, std::size_t width) {
  const std::string_view field(record + offset, width);
  return FromAnsi(TrimRight(field.substr(0, field.find('\0'))));
}

// Each CR becomes CR LF, then each CR LF LF becomes CR LF (one pass, as a
// replace-all does); a lone LF stays.
std::string NormaliseLyrics(std::string_view text) {
  std::string crlf;
  for (const char c : text) {
    crlf += c;
    if (c == '\r') crlf += '\n';
  }
  std::string out;
  for (std::size_t i = 0; i < crlf.size();) {
    if (crlf.compare(i, 3, "\r\n\n") == 0) {
      out += "\r\n";
      i += 3;
    } else {
      out += crlf[i++];
    }
  }
  return out;
}

std::string ToAnsi(std::string_view utf8, std::size_t maxBytes) { return Utf8ToAnsiFitting(utf8, maxBytes); }

// Stores a short field, filling or clearing its long twin.
void SetPair(std::string& shortField, std::string& longField, const std::string& value) {
  shortField = std::string(TrimRight(value));
  if (Utf8Length(shortField) >= kLongFrom)
    longField = shortField;
  else
    longField.clear();
}

void PutField(char* record, std::size_t offset, std::size_t width, const std::string& utf8) {
  const std::string bytes = ToAnsi(Utf8PrefixChars(TrimRight(utf8), width), width);
  std::memcpy(record + offset, bytes.data(), bytes.size());
}

}  // namespace

TID3v1::TID3v1(FileSystem& fs) : fs_(fs) { ResetData(); }

void TID3v1::ResetData() {
  Exists = false;
  VersionID = 1;
  Title.clear();
  Artist.clear();
  Album.clear();
  Year.clear();
  Comment.clear();
  Track = 0;
  GenreID = kNoGenre;
  Lyrics3Present = false;
  Lyrics3Size = 0;
  LongArtist.clear();
  LongAlbum.clear();
  LongTitle.clear();
  LongComment.clear();
  ImageLink.clear();
  Author.clear();
  Lyrics.clear();
  readFrom_.clear();
}

void TID3v1::SetTitle(const std::string& value) { SetPair(Title, LongTitle, value); }
void TID3v1::SetArtist(const std::string& value) { SetPair(Artist, LongArtist, value); }
void TID3v1::SetAlbum(const std::string& value) { SetPair(Album, LongAlbum, value); }
void TID3v1::SetComment(const std::string& value) { SetPair(Comment, LongComment, value); }

void TID3v1::SetYear(const std::string& value) {
  Year = std::string(Utf8PrefixChars(TrimRight(value), 4));
}

std::string TID3v1::GetGenre() const {
  return GenreID < GenreNames.size() ? std::string(GenreNames[GenreID]) : std::string();
}

bool TID3v1::Finish(TagStatus status) {
  status_ = status;
  return Succeeded(status);
}

void TID3v1::ApplyLyricsField(std::string_view id, std::string_view value) {
  const std::string trimmed = FromAnsi(Trim(value));
  if (id == "LYR")
    Lyrics = NormaliseLyrics(trimmed);
  else if (id == "INF")
    SetComment(trimmed);
  else if (id == "AUT")
    Author = trimmed;
  else if (id == "EAL")
    SetAlbum(trimmed);
  else if (id == "EAR")
    SetArtist(trimmed);
  else if (id == "ETT")
    SetTitle(trimmed);
  else if (id == "IMG")
    ImageLink = FromAnsi(value);
}

bool TID3v1::ReadFromFile(const std::string& fileName) {
  ResetData();
  auto file = fs_.OpenRead(fileName);
  if (!file) return Finish(TagStatus::OpenFailed);
  std::uint64_t size = 0;
  Layout layout;
  char record[kRecordSize];
  if (!file->Size(size) || !Detect(*file, size, layout, record)) return Finish(TagStatus::IoError);

  if (layout.record) {
    Exists = true;
    const auto b125 = static_cast<unsigned char>(record[125]);
    const auto b126 = static_cast<unsigned char>(record[126]);
    VersionID = ((b125 == 0 && b126 != 0) || (b125 == ' ' && b126 != ' ')) ? 2 : 1;
    SetTitle(RecordText(record, 3, 30));
    SetArtist(RecordText(record, 33, 30));
    SetAlbum(RecordText(record, 63, 30));
    SetYear(RecordText(record, 93, 4));
    SetComment(RecordText(record, 97, VersionID == 2 ? 28 : 30));
    if (VersionID == 2) Track = b126;
    GenreID = static_cast<std::uint8_t>(record[127]);
  }

  if (layout.lyrics) {
    Lyrics3Present = true;
    Lyrics3Size = static_cast<std::int32_t>(layout.lyricsSize);
    std::string body;
    const std::size_t bodySize = layout.lyricsSize - kBegin.size();
    if (!ReadUpTo(*file, layout.lyricsBegin + kBegin.size(), bodySize, body) || body.size() != bodySize)
      return Finish(TagStatus::IoError);
    WalkFields(body, [&](std::string_view id, std::string_view value) {
      if (!IsKnownField(id)) return false;
      ApplyLyricsField(id, value);
      return true;
    });
  }
  readFrom_ = fileName;
  return Finish(Exists || Lyrics3Present ? TagStatus::Ok : TagStatus::NoTag);
}

bool TID3v1::SaveToFile(const std::string& fileName) {
  // An object that did not read this file knows nothing of its lyrics,
  // author and image link: the save keeps the stored ones where the object
  // has none, for this file only. The object's own values stay as they
  // were, so that the next file gets its own stored ones too.
  const bool readFromThisFile = !readFrom_.empty() && readFrom_ == fileName;
  bool wroteBlock = false;
  std::uint32_t blockSize = 0;

  const TagStatus status = RewriteInPlace(fs_, fileName, [&](RandomAccessFile& file, std::uint64_t size,
                                                             InPlaceEdit& edit) {
    Layout layout;
    char old[kRecordSize];
    if (!Detect(file, size, layout, old)) return TagStatus::IoError;

    std::string lyrics = Lyrics, author = Author, image = ImageLink;
    if (layout.lyrics && !readFromThisFile) {
      std::string body;
      if (!ReadUpTo(file, layout.lyricsBegin + kBegin.size(), layout.lyricsSize - kBegin.size(), body))
        return TagStatus::IoError;
      WalkFields(body, [&](std::string_view id, std::string_view value) {
        if (id == "LYR" && lyrics.empty()) lyrics = NormaliseLyrics(FromAnsi(Trim(value)));
        if (id == "AUT" && author.empty()) author = FromAnsi(Trim(value));
        if (id == "IMG" && image.empty()) image = FromAnsi(value);
        return IsKnownField(id);
      });
    }

    const bool anyLong = !LongArtist.empty() || !LongAlbum.empty() || !LongComment.empty() ||
                         !LongTitle.empty();
    const bool carries = !lyrics.empty() || !author.empty() || !image.empty();
    const bool worth = !lyrics.empty() || !author.empty() || anyLong;
    // A stored block is rewritten whenever it has something to carry: only
    // long texts (a save must not cut a long title back to 30 characters),
    // or only an image link.
    const bool writeBlock = (carries && worth) || (layout.lyrics && (anyLong || carries));

    std::string tail;
    if (writeBlock) {
      tail += kBegin;
      tail += lyrics.empty() ? "IND0000200" : "IND0000210";
      const std::pair<const char*, const std::string*> fields[] = {
          {"EAL", &LongAlbum}, {"EAR", &LongArtist}, {"ETT", &LongTitle}, {"INF", &LongComment},
          {"AUT", &author},    {"LYR", &lyrics},     {"IMG", &image}};
      for (const auto& [id, value] : fields) {
        if (Trim(*value).empty()) continue;
        const std::string bytes = ToAnsi(*value, kMaxFieldValue);
        tail += id;
        tail += FixedDigits(static_cast<std::uint32_t>(bytes.size()), 5);
        tail += bytes;
      }
      blockSize = static_cast<std::uint32_t>(tail.size());
      tail += FixedDigits(blockSize, 6);
      tail += kFooterId;
    }

    char record[kRecordSize] = {};
    std::memcpy(record, "TAG", 3);
    PutField(record, 3, 30, GetTitle());
    PutField(record, 33, 30, GetArtist());
    PutField(record, 63, 30, GetAlbum());
    PutField(record, 93, 4, Year);
    PutField(record, 97, 30, GetComment());
    if (Track != 0) {
      record[125] = 0;
      record[126] = static_cast<char>(Track);
    } else if (record[125] == 0 && record[126] != 0) {
      // A zero (a comment may hold zeros) followed by a character there is
      // the version 1.1 mark of a track number for every reader: the comment
      // ends at 28 characters instead. A blank there is text, and a
      // 30-character comment is kept whole.
      record[126] = 0;
    }
    record[127] = static_cast<char>(GenreID);
    tail.append(record, kRecordSize);

    edit.offset = layout.cut;
    edit.length = size - layout.cut;
    edit.bytes = std::move(tail);
    wroteBlock = writeBlock;
    return TagStatus::Ok;
  });

  if (status == TagStatus::Ok) {
    Exists = true;
    VersionID = Track != 0 ? 2 : 1;
    Lyrics3Present = wroteBlock;
    Lyrics3Size = wroteBlock ? static_cast<std::int32_t>(blockSize) : 0;
  }
  return Finish(status);
}

bool TID3v1::RemoveFromFile(const std::string& fileName) {
  {
    auto file = fs_.OpenRead(fileName);
    if (!file) return Finish(TagStatus::OpenFailed);
    std::uint64_t size = 0;
    Layout layout;
    char record[kRecordSize];
    if (!file->Size(size) || !Detect(*file, size, layout, record)) return Finish(TagStatus::IoError);
    if (!layout.record && !layout.lyrics) {
      Exists = false;
      Lyrics3Present = false;
      return Finish(TagStatus::NoTag);
    }
  }
  const TagStatus status = RewriteInPlace(fs_, fileName, [](RandomAccessFile& file, std::uint64_t size,
                                                            InPlaceEdit& edit) {
    Layout layout;
    char record[kRecordSize];
    if (!Detect(file, size, layout, record)) return TagStatus::IoError;
    edit.offset = layout.cut;
    edit.length = size - layout.cut;
    return TagStatus::Ok;
  });
  if (status == TagStatus::Ok) {
    Exists = false;
    Lyrics3Present = false;
    Lyrics3Size = 0;
  }
  return Finish(status);
}

}  // namespace sv::tags
