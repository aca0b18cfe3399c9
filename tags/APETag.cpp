#include "tags/APETag.h"

#include <algorithm>
#include <cstring>

#include "base/Ascii.h"
#include "base/Utf.h"
#include "tags/AnsiCodec.h"
#include "tags/Bytes.h"
#include "tags/SafeRewrite.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

constexpr std::size_t kFooterSize = 32;
constexpr std::uint32_t kHasHeader = 0x80000000u;
constexpr std::uint32_t kIsHeader = 0x20000000u;
constexpr std::uint32_t kVersion1 = 1000;
constexpr std::uint32_t kVersion2 = 2000;
constexpr std::uint64_t kMaxTag = 16 * 1024 * 1024;
constexpr std::size_t kMaxName = 255;
constexpr std::size_t kShownBytes = 250;
constexpr std::size_t kItemOverhead = 9;  // value size, flags, name terminator
constexpr std::uint64_t kId3v1Size = 128;
constexpr std::uint64_t kLyricsFooterSize = 15;  // six digits + "LYRICS200"

bool IsApeId(const char* p) { return std::memcmp(p, "APETAGEX", 8) == 0; }

// Where the tag sits: it ends at `end`, before the trailer (a Lyrics3 v2
// block and an ID3v1 record, either possibly absent), which a rewrite keeps.
struct Place {
  std::uint64_t end = 0;
  bool record = false;  // the trailer ends with an ID3v1 record
  bool footerRead = false;
  char footer[kFooterSize] = {};
};

// Size of a Lyrics3 v2 block whose footer ends at `blockEnd`, or 0.
std::uint64_t Lyrics3Size(RandomAccessFile& file, std::uint64_t blockEnd, bool& ok) {
  ok = true;
  char f[kLyricsFooterSize];
  if (blockEnd < kLyricsFooterSize) return 0;
  if (!ReadExact(file, blockEnd - kLyricsFooterSize, f, sizeof f)) {
    ok = false;
    return 0;
  }
  std::uint32_t size = 0;
  if (std::memcmp(f + 6, "LYRICS200", 9) != 0 || !ParseFixedDigits(std::string_view(f, 6), size)) return 0;
  if (size + kLyricsFooterSize > blockEnd) return 0;
  char begin[11];
  if (!ReadExact(file, blockEnd - kLyricsFooterSize - size, begin, sizeof begin)) {
    ok = false;
    return 0;
  }
  return std::memcmp(begin, "LYRICSBEGIN", 11) == 0 ? size + kLyricsFooterSize : 0;
}

bool ReadFooterAt(RandomAccessFile& file, std::uint64_t end, Place& place) {
  place.end = end;
  place.footerRead = false;
  if (end <= kFooterSize) return true;
  std::size_t got = 0;
  if (!file.ReadAt(end - kFooterSize, place.footer, kFooterSize, got)) return false;
  place.footerRead = got == kFooterSize;
  return true;
}

// Finds the footer; false only on a read error. A footer that ends the
// file wins over an ID3v1 record: audio or tag bytes can start the last 128
// bytes with "TAG", but a record never ends with an APE footer.
bool LocateFooter(RandomAccessFile& file, std::uint64_t size, Place& place) {
  if (!ReadFooterAt(file, size, place)) return false;
  if (place.footerRead && IsApeId(place.footer)) return true;
  std::uint64_t end = size;
  if (size > kId3v1Size) {
    char tag[3];
    if (!ReadExact(file, size - kId3v1Size, tag, sizeof tag)) return false;
    place.record = std::memcmp(tag, "TAG", 3) == 0;
    if (place.record) end -= kId3v1Size;
  }
  bool ok = true;
  end -= Lyrics3Size(file, end, ok);
  return ok && ReadFooterAt(file, end, place);
}

// A field's text as shown: up to a NUL (the end of the first of several
// values), its first 250 bytes, trimmed.
std::string ShownText(std::string_view stored, bool utf8) {
  stored = stored.substr(0, stored.find('\0'));
  if (utf8 && IsValidUtf8(stored)) return std::string(Trim(Utf8Prefix(stored, kShownBytes)));
  return std::string(Trim(AnsiToUtf8(stored.substr(0, kShownBytes))));
}

// Reads the items in [begin, end) of the file. Malformed when one runs past
// the region (the items read are kept): a size that the items do not account
// for cannot be trusted to cut at. Items that fill it exactly are the tag,
// whatever the footer counts (writers have stored counts one too high).
TagStatus ReadItems(RandomAccessFile& file, std::uint64_t begin, std::uint64_t end, std::uint32_t version,
                    std::vector<RField>& fields) {
  std::string region;
  if (!ReadUpTo(file, begin, static_cast<std::size_t>(end - begin), region) || region.size() != end - begin)
    return TagStatus::IoError;
  const bool v1 = version == kVersion1;
  std::size_t pos = 0;
  while (pos < region.size()) {
    if (region.size() - pos < kItemOverhead) return TagStatus::Malformed;
    const std::uint32_t valueSize = LoadLE32(region.data() + pos);
    const std::uint32_t flags = LoadLE32(region.data() + pos + 4);
    pos += 8;
    // Keys longer than writers allow are still read whole: giving up on
    // one would lose every item after it.
    // An item has a key: zero bytes, such as silence before the tag, are
    // no items and do not fill a size.
    const std::size_t nul = region.find('\0', pos);
    if (nul == std::string::npos || nul == pos) return TagStatus::Malformed;
    const std::string_view name(region.data() + pos, nul - pos);
    pos = nul + 1;
    if (valueSize > region.size() - pos) return TagStatus::Malformed;
    const std::string_view value(region.data() + pos, valueSize);
    pos += valueSize;

    RField field;
    RField::StoredItem stored;
    // APEv1 text is in the ANSI code page; an APEv2 tag needs UTF-8, and
    // its names stay within 255 bytes.
    stored.name = v1 ? std::string(Utf8Prefix(AnsiToUtf8(name), kMaxName)) : std::string(name);
    stored.value = v1 ? AnsiToUtf8(value) : std::string(value);
    stored.flags = v1 ? 0 : flags;
    stored.shownName = field.Name = ShownText(name, !v1);
    stored.shownValue = field.Value = ShownText(value, !v1);
    field.Stored = std::move(stored);
    fields.push_back(std::move(field));
  }
  return TagStatus::Ok;
}

// The text written for a changed name or value: valid UTF-8, and a name
// without NULs and within the format's 255 bytes.
std::string CleanValue(const std::string& text) { return Utf16ToUtf8(Utf8ToUtf16(text)); }
std::string CleanName(const std::string& text) {
  std::string name = CleanValue(text);
  name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
  return std::string(Utf8Prefix(name, kMaxName));
}

void AppendHeader(std::string& out, std::uint32_t size, std::uint32_t count, std::uint32_t flags) {
  out += "APETAGEX";
  AppendLE32(out, kVersion2);
  AppendLE32(out, size);
  AppendLE32(out, count);
  AppendLE32(out, flags);
  out.append(8, '\0');
}

// A value that stands for nothing: empty, or a track number of 0.
bool NoValue(const std::string& name, const std::string& value) {
  const std::string_view text = Trim(value);
  return text.empty() || (SameTextAscii(Trim(name), "Track") && text == "0");
}

// The new APEv2 tag, empty when there is no item; Unsupported when it would
// not fit the format's sizes. A field set to no value gives no item; stored
// items left as read are written back as they were.
TagStatus BuildTag(const std::vector<RField>& fields, std::string& tag) {
  std::string items;
  std::size_t count = 0;
  for (const auto& f : fields) {
    const bool unchanged = f.Stored && f.Name == f.Stored->shownName && f.Value == f.Stored->shownValue;
    if (!unchanged && NoValue(f.Name, f.Value)) continue;
    const std::string name = unchanged ? f.Stored->name : CleanName(f.Name);
    const std::string value = unchanged ? f.Stored->value : CleanValue(f.Value);
    if (value.size() > UINT32_MAX - kFooterSize) return TagStatus::Unsupported;
    ++count;
    AppendLE32(items, static_cast<std::uint32_t>(value.size()));
    AppendLE32(items, unchanged ? f.Stored->flags : 0);
    items += name;
    items += '\0';
    items += value;
  }
  if (items.size() > UINT32_MAX - kFooterSize || count > UINT32_MAX) return TagStatus::Unsupported;
  tag.clear();
  if (count == 0) return TagStatus::Ok;
  const auto size = static_cast<std::uint32_t>(items.size() + kFooterSize);
  AppendHeader(tag, size, static_cast<std::uint32_t>(count), kHasHeader | kIsHeader);
  tag += items;
  AppendHeader(tag, size, static_cast<std::uint32_t>(count), kHasHeader);
  return TagStatus::Ok;
}

// Where the stored tag starts (its header included). Malformed when its
// size or header cannot be trusted, or its items do not parse and fill that
// size exactly: cutting there could delete audio. The footer's size is the
// one its items were checked against: a header that gives another size is
// still the header.
TagStatus StoredTagStart(RandomAccessFile& file, const Place& place, std::uint64_t& start) {
  start = place.end;
  if (!place.footerRead || !IsApeId(place.footer)) return TagStatus::Ok;
  const std::uint32_t version = LoadLE32(place.footer + 8);
  const std::uint32_t size = LoadLE32(place.footer + 12);
  const std::uint32_t flags = LoadLE32(place.footer + 20);
  if (size < kFooterSize || size > place.end) return TagStatus::Malformed;
  start = place.end - size;
  if (flags & kHasHeader) {
    if (version != kVersion2 || start < kFooterSize) return TagStatus::Malformed;
    char header[kFooterSize];
    if (!ReadExact(file, start - kFooterSize, header, sizeof header)) return TagStatus::IoError;
    if (!IsApeId(header)) return TagStatus::Malformed;
    start -= kFooterSize;
  }
  if (place.end - start > kMaxTag) return TagStatus::Unsupported;
  std::vector<RField> items;
  return ReadItems(file, place.end - size, place.end - kFooterSize, version, items);
}

}  // namespace

void TAPETag::ResetData() {
  Fields.clear();
  Exists = false;
  Version = 0;
  Size = 0;
}

bool TAPETag::ReadFromFile(const std::string& path) {
  ResetData();
  SizedFile opened;
  status_ = OpenSized(fs_, path, opened);
  if (status_ != TagStatus::Ok) return false;
  Place place;
  if (!LocateFooter(*opened.file, opened.size, place)) {
    status_ = TagStatus::IoError;
    return false;
  }
  if (!place.footerRead) {
    status_ = TagStatus::NoTag;
    return false;
  }
  if (!IsApeId(place.footer)) {
    status_ = TagStatus::NoTag;
    return true;
  }
  Exists = true;
  Version = LoadLE32(place.footer + 8);
  Size = LoadLE32(place.footer + 12);
  if (Size < kFooterSize || Size > place.end) {
    status_ = TagStatus::Malformed;
  } else if (Size - kFooterSize > kMaxTag) {
    status_ = TagStatus::Unsupported;
  } else {
    status_ = ReadItems(*opened.file, place.end - Size, place.end - kFooterSize, Version, Fields);
    if (status_ == TagStatus::IoError) {
      Fields.clear();
      return false;
    }
  }
  return true;
}

bool TAPETag::SaveToFile(const std::string& path) {
  std::string tag;
  status_ = BuildTag(Fields, tag);
  if (status_ != TagStatus::Ok) return false;
  status_ = RewriteInPlace(fs_, path, [&](RandomAccessFile& file, std::uint64_t size, InPlaceEdit& edit) {
    Place place;
    if (!LocateFooter(file, size, place)) return TagStatus::IoError;
    std::uint64_t start = 0;
    if (const TagStatus s = StoredTagStart(file, place, start); s != TagStatus::Ok) return s;
    std::string trailer;
    if (!ReadUpTo(file, place.end, static_cast<std::size_t>(size - place.end), trailer) ||
        trailer.size() != size - place.end)
      return TagStatus::IoError;
    edit.offset = start;
    edit.length = size - start;
    // Readers look for the tag at the end of the file or before an ID3v1
    // record; a Lyrics3 block belongs before a record, so without one the
    // tag goes after the block.
    edit.bytes = place.record ? tag + trailer : trailer + tag;
    return TagStatus::Ok;
  });
  return status_ == TagStatus::Ok;
}

void TAPETag::AddField(const std::string& name, const std::string& value) { Fields.push_back(RField{name, value, {}}); }

std::string TAPETag::GetField(const std::string& name) const {
  for (const auto& f : Fields)
    if (SameTextAscii(f.Name, name)) return f.Value;
  return {};
}

void TAPETag::SetField(const std::string& name, const std::string& value) {
  for (auto& f : Fields)
    if (SameTextAscii(f.Name, name)) {
      f.Value = value;
      return;
    }
  AddField(name, value);
}

}  // namespace sv::tags
