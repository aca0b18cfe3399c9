// Saving an ID3v2 tag as version 2.3 without losing what the fields do not
// carry: the old tag's frames are walked again, frames of unchanged fields
// and frames no field models are kept as stored (version 2.4 frames
// converted to 2.3, version 2.2 frames upgraded), and only the fields the
// caller changed get new frames.
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "base/Utf.h"
#include "tags/Bytes.h"
#include "tags/ID3v2.h"
#include "tags/ID3v2Convert.h"
#include "tags/ID3v2Fields.h"
#include "tags/ID3v2Frames.h"
#include "tags/SafeRewrite.h"

namespace sv::tags {

using namespace id3;

namespace {

constexpr std::uint64_t kPreferredTagSize = 4096;
constexpr std::uint64_t kMaxPictureFrame = 1'000'000;
// Enough of a comment, link or picture frame to see its description and type.
constexpr std::size_t kPeek = 1024;

// Piece of the new tag: bytes, then a stretch of the old file copied as is.
struct Piece {
  std::string bytes;
  std::uint64_t from = 0;
  std::uint64_t length = 0;
};

std::string FrameHeader(std::string_view id, std::size_t size, std::uint8_t status = 0,
                        std::uint8_t format = 0) {
  std::string h(id);
  AppendBE32(h, static_cast<std::uint32_t>(size));
  h += static_cast<char>(status);
  h += static_cast<char>(format);
  return h;
}

Piece NewFrame(std::string_view id, const std::string& data) {
  return Piece{FrameHeader(id, data.size()) + data};
}

std::string TextData(const std::string& value) {
  const std::uint8_t enc = ChooseEncoding(value);
  return std::string(1, static_cast<char>(enc)) + EncodeString(enc, value, false);
}

bool IsSimpleText(int e) {
  return e == kTitle || e == kArtist || e == kAlbum || e == kTrack || e == kYear || e == kGenre ||
         e == kComposer || e == kEncoder || e == kCopyright || e == kLanguage;
}

}  // namespace

class ID3v2Saver {
 public:
  explicit ID3v2Saver(TID3v2& tag) : tag_(tag) {}

  TagStatus Save(const std::string& path) {
    if (const TagStatus s = Analyse(path); s != TagStatus::Ok) return s;
    std::uint64_t total = kHeaderSize;
    for (const Piece& p : pieces_) total += p.bytes.size() + p.length;
    if (total - kHeaderSize > kMaxBody) return TagStatus::Unsupported;

    const bool inPlace = oldTagSize_ > 0 && oldTagSize_ >= total && oldTagSize_ <= kPreferredTagSize;
    const std::uint64_t padding =
        inPlace ? oldTagSize_ - total : (total < kPreferredTagSize ? kPreferredTagSize - total : 0);
    newTagSize_ = total + padding;
    header_ = "ID3\x03";
    header_.append(2, '\0');
    AppendSyncSafe(header_, static_cast<std::uint32_t>(newTagSize_ - kHeaderSize));

    const TagStatus s = inPlace ? WriteInPlace(path, padding) : Rebuild(path, padding);
    if (s == TagStatus::Ok) {
      tag_.Exists = true;
      tag_.VersionID = 3;
      tag_.Size = static_cast<std::int32_t>(newTagSize_);
      tag_.TakeSnapshot(path);
    }
    return s;
  }

 private:
  // Reads the old tag's structure and decides every piece of the new one.
  TagStatus Analyse(const std::string& path) {
    // What the fields are compared with: the values this object read from
    // this file, or else the file's own (never another file's).
    if (!tag_.readFrom_.empty() && tag_.readFrom_ == path) {
      base_ = tag_.read_;
    } else {
      TID3v2 stored(tag_.fs_);
      if (!stored.ReadFromFile(path, false) && stored.LastStatus() != TagStatus::NoTag)
        return stored.LastStatus();
      base_ = stored.read_;
    }
    auto file = tag_.fs_.OpenRead(path);
    if (!file) return TagStatus::OpenFailed;
    if (!file->Size(fileSize_)) return TagStatus::IoError;
    char head[kHeaderSize];
    TagHeader header;
    if (fileSize_ >= kHeaderSize) {
      if (!ReadExact(*file, 0, head, kHeaderSize)) return TagStatus::IoError;
      oldHead_.assign(head, kHeaderSize);
      if (ParseHeader(head, header)) {
        // A header we cannot trust must not make the rewrite skip audio.
        if (!header.KnownVersion() || (header.version == 2 && (header.flags & kCompressedV22)))
          return TagStatus::Unsupported;
        if (!header.sizeValid || header.Total() > fileSize_) return TagStatus::Malformed;
        oldTagSize_ = header.Total();
        version_ = header.version;
        tagUnsync_ = (header.flags & kUnsynchronised) != 0;
        if (const TagStatus s = CollectFrames(*file, header); s != TagStatus::Ok) return s;
      }
    }
    return Plan();
  }

  TagStatus CollectFrames(RandomAccessFile& file, const TagHeader& header) {
    FrameArea area;
    if (const TagStatus s = OpenFrameArea(file, fileSize_, header, area); s != TagStatus::Ok) return s;
    inMemory_ = area.source->InMemory();
    std::uint64_t budget = kMaxTagInMemory;
    bool overBudget = false;
    auto charge = [&](std::uint64_t n) {
      if (n <= kPeek) return n;
      if (n > budget) {
        overBudget = true;
        return std::uint64_t{0};
      }
      budget -= n;
      return n;
    };
    const WalkEnd end = WalkFrames(
        area, version_, [&](const Frame& f) { return static_cast<std::size_t>(charge(Wanted(f))); },
        [&](Frame& f) { frames_.push_back(std::move(f)); });
    if (end == WalkEnd::ReadError) return TagStatus::IoError;
    // Frames after the point where the walk stopped would be lost.
    if (end == WalkEnd::Stopped) return TagStatus::Malformed;
    // Version 2.4 texts in encodings 2 and 3 are rewritten, so their frames
    // are needed whole.
    for (Frame& f : frames_) {
      if (version_ != 4 || f.Complete() || f.payload.empty() || !HasTextLayout(f.id)) continue;
      const auto enc = static_cast<unsigned char>(f.payload[0]);
      if ((enc == 2 || enc == 3) && f.formatFlags == 0 && charge(f.size) == f.size &&
          !area.source->Read(f.offset + f.headerSize, static_cast<std::size_t>(f.size), f.payload))
        return TagStatus::IoError;
    }
    return overBudget ? TagStatus::Unsupported : TagStatus::Ok;
  }

  // How much of a stored frame the plan needs in memory.
  std::uint64_t Wanted(const Frame& f) const {
    const bool picture = EntryOf(f.id, version_) == kPicture;
    if (inMemory_ || version_ == 2) return f.size;
    if (version_ == 4 && (f.formatFlags != 0 || tagUnsync_ || f.id[0] == 'T' || f.id == "COMM" ||
                          f.id == "USLT"))
      return f.size;
    if (picture && PictureChanged() && f.size <= kMaxPictureFrame) return f.size;
    const int e = EntryOf(f.id, version_);
    return (e == kComment || e == kLink || picture || (version_ == 4 && HasTextLayout(f.id))) ? kPeek : 0;
  }

  bool PictureChanged() const { return tag_.pictureTouched_ || tag_.Picture != base_.Picture; }

  std::array<bool, kEntryCount> Changes() const {
    const auto& r = base_;
    std::array<bool, kEntryCount> c{};
    c[kTitle] = tag_.Title != r.Title;
    c[kArtist] = tag_.Artist != r.Artist;
    c[kAlbum] = tag_.Album != r.Album;
    c[kTrack] = tag_.Track != r.Track;
    c[kYear] = tag_.Year != r.Year;
    c[kGenre] = tag_.Genre != r.Genre;
    c[kComment] = tag_.Comment != r.Comment;
    c[kComposer] = tag_.Composer != r.Composer;
    c[kEncoder] = tag_.Encoder != r.Encoder;
    c[kCopyright] = tag_.Copyright != r.Copyright;
    c[kLanguage] = tag_.Language != r.Language;
    c[kLink] = tag_.Link != r.Link;
    c[kPicture] = PictureChanged();
    return c;
  }

  // The stored data of a frame (encodings undone), or nothing.
  bool Data(const Frame& f, std::string& data) const {
    return !f.payload.empty() && FrameData(f, version_, tagUnsync_, data);
  }

  // The same choices the reader makes, so that a changed field replaces the
  // frame it was read from.
  void ChooseFrames() {
    bool commentEmpty = false, linkEmpty = false, front = false;
    for (std::size_t i = 0; i < frames_.size(); ++i) {
      const int e = EntryOf(frames_[i].id, version_);
      std::string data;
      if (e < 0 || !Data(frames_[i], data)) continue;
      Described d;
      if ((e == kComment && ParseComment(data, d)) || (e == kLink && ParseLink(data, d))) {
        int& chosen = e == kComment ? comment_ : link_;
        bool& chosenEmpty = e == kComment ? commentEmpty : linkEmpty;
        if (chosen < 0 || (d.description.empty() && !chosenEmpty)) {
          chosen = static_cast<int>(i);
          chosenEmpty = d.description.empty();
          (e == kComment ? commentFrame_ : linkFrame_) = std::move(d);
        }
      } else if (e == kPicture) {
        PictureFrame p;
        if (!ParsePicture(data, version_, p)) continue;
        pictureTypes_[i] = p.type;
        if (!p.jpeg || frames_[i].size > kMaxPictureFrame) continue;
        usablePictures_[i] = true;
        if (picture_ < 0 || (p.type == kFrontCover && !front)) {
          picture_ = static_cast<int>(i);
          front = p.type == kFrontCover;
        }
      }
    }
  }

  Piece ReplacementFor(int e) const {
    switch (e) {
      case kTrack: {
        std::string text = std::to_string(tag_.Track);
        // Keep the stored total: "3/12" edited to track 4 becomes "4/12".
        const std::size_t slash = base_.TrackString.find('/');
        if (slash != std::string::npos) text += base_.TrackString.substr(slash);
        return NewFrame("TRCK", TextData(text));
      }
      case kComment: {
        // Always the undescribed comment: a described one is another
        // program's data and stays as it is.
        const std::string lang = CommentIsUndescribed() ? commentFrame_->language : "eng";
        const std::uint8_t enc = ChooseEncoding(tag_.Comment);
        return NewFrame("COMM", std::string(1, static_cast<char>(enc)) + lang + EncodeString(enc, "", true) +
                                    EncodeString(enc, tag_.Comment, false));
      }
      case kLink: {
        const std::string desc = linkFrame_ ? linkFrame_->description : "";
        const std::uint8_t enc = ChooseEncoding(desc);
        return NewFrame("WXXX", std::string(1, static_cast<char>(enc)) + EncodeString(enc, desc, true) +
                                    Utf8ToLatin1(tag_.Link));
      }
      case kPicture:
        return NewFrame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + tag_.Picture);
      default:
        return NewFrame(IdOf(e), TextData(FieldValue(e)));
    }
  }

  std::string FieldValue(int e) const {
    switch (e) {
      case kTitle: return tag_.Title;
      case kArtist: return tag_.Artist;
      case kAlbum: return tag_.Album;
      case kYear: return tag_.Year;
      case kGenre: return tag_.Genre;
      case kComment: return tag_.Comment;
      case kComposer: return tag_.Composer;
      case kEncoder: return tag_.Encoder;
      case kCopyright: return tag_.Copyright;
      case kLanguage: return tag_.Language;
      case kLink: return tag_.Link;
      case kPicture: return tag_.Picture;
      case kTrack: return tag_.Track != 0 ? std::to_string(tag_.Track) : std::string();
      default: return {};
    }
  }

  bool CommentIsUndescribed() const { return commentFrame_ && commentFrame_->description.empty(); }

  // A stored frame carried into the new tag as version 2.3, or nothing (a
  // frame with no 2.3 form, or one holding no byte, which 2.3 readers take
  // for the end of the frames). Sets refused_ for a frame that cannot be
  // carried over and must not be lost.
  bool Keep(const Frame& f, Piece& piece) {
    if (f.size == 0) return false;
    if (version_ == 3) {
      if (!inMemory_) {
        piece = Piece{{}, f.offset, f.headerSize + f.size};
      } else {
        piece = Piece{FrameHeader(f.id, f.payload.size(), f.statusFlags, f.formatFlags) + f.payload};
      }
      return true;
    }
    std::string data, upgraded;
    if (version_ == 2) {
      if (!Data(f, data) || !UpgradeData(f.id, data, upgraded) || upgraded.empty()) return false;
      piece = NewFrame(UpgradeId(f.id), upgraded);
      return true;
    }
    // Version 2.4 status flags sit one bit lower than in 2.3.
    const auto status = static_cast<std::uint8_t>((f.statusFlags << 1) & 0xE0);
    constexpr std::uint8_t kCompressedOrEncrypted = 0x0C;
    if (f.formatFlags & kCompressedOrEncrypted) {
      // Carried with its bytes as they are, under version 2.3's flags.
      std::uint8_t format = 0;
      if (!f.Complete() || !DowngradeEncodedFrame(f.payload, f.formatFlags, tagUnsync_, data, format)) {
        refused_ = true;
        return false;
      }
      piece = Piece{FrameHeader(f.id, data.size(), status, format) + data};
      return true;
    }
    if (f.formatFlags == 0 && !tagUnsync_ && f.payload.size() != f.size) {
      piece = Piece{FrameHeader(f.id, f.size, status), f.offset + f.headerSize, f.size};
      return true;
    }
    if (!FrameData(f, version_, tagUnsync_, data)) return false;
    data = DowngradeData(f.id, data);
    if (data.empty()) return false;
    piece = Piece{FrameHeader(f.id, data.size(), status) + data};
    return true;
  }

  // A version 2.4 recording time as the year, date and time frames of 2.3
  // (those the tag does not hold already). False when its text is not a
  // date, which then stays as it is.
  bool SplitDate(const Frame& f) {
    std::string data;
    Date23 date;
    if (!Data(f, data) || !SplitRecordingTime(TextValue(data), date)) return false;
    const std::pair<const char*, const std::string*> parts[] = {
        {"TYER", &date.year}, {"TDAT", &date.date}, {"TIME", &date.time}};
    for (const auto& part : parts) {
      const std::string_view id = part.first;
      const bool stored = std::any_of(frames_.begin(), frames_.end(), [id](const Frame& g) { return g.id == id; });
      if (!part.second->empty() && !stored) pieces_.push_back(NewFrame(id, TextData(*part.second)));
    }
    return true;
  }

  TagStatus Plan() {
    ChooseFrames();
    const auto changed = Changes();
    std::array<bool, kEntryCount> placed{};
    auto place = [&](int e) {
      if (placed[e]) return;
      placed[e] = true;
      if (!FieldValue(e).empty()) pieces_.push_back(ReplacementFor(e));
    };
    for (std::size_t i = 0; i < frames_.size(); ++i) {
      const Frame& f = frames_[i];
      const int e = EntryOf(version_ == 2 ? UpgradeId(f.id) : std::string_view(f.id), 3);
      const bool isYear = e == kYear || (e == kRecordingTime && version_ != 2);
      if ((IsSimpleText(e) || isYear) && changed[isYear ? kYear : e]) {
        place(isYear ? kYear : e);
        continue;
      }
      if (version_ == 4 && f.id == "TDRC" && !changed[kYear] && SplitDate(f)) continue;
      if ((e == kComment && changed[kComment] && static_cast<int>(i) == comment_ && CommentIsUndescribed()) ||
          (e == kLink && changed[kLink] && static_cast<int>(i) == link_)) {
        place(e);
        continue;
      }
      if (e == kPicture && changed[kPicture]) {
        const bool replaced = tag_.Picture.empty()
                                  ? usablePictures_.count(i) != 0
                                  : (static_cast<int>(i) == picture_ ||
                                     (pictureTypes_.count(i) && pictureTypes_.at(i) == kFrontCover));
        if (replaced) {
          place(kPicture);
          continue;
        }
      }
      Piece piece;
      if (Keep(f, piece)) pieces_.push_back(std::move(piece));
    }
    if (refused_) return TagStatus::Unsupported;
    for (int e = 0; e < kEntryCount; ++e)
      if (changed[e] && (IsSimpleText(e) || e == kComment || e == kLink || e == kPicture)) place(e);
    return TagStatus::Ok;
  }

  bool Unchanged(RandomAccessFile& file, std::uint64_t size) const {
    if (size != fileSize_) return false;
    std::string head;
    return ReadUpTo(file, 0, oldHead_.size(), head) && head == oldHead_;
  }

  TagStatus WriteInPlace(const std::string& path, std::uint64_t padding) {
    return RewriteInPlace(tag_.fs_, path, [&](RandomAccessFile& file, std::uint64_t size, InPlaceEdit& edit) {
      if (!Unchanged(file, size)) return TagStatus::IoError;
      std::string tag = header_;
      for (const Piece& p : pieces_) {
        tag += p.bytes;
        std::string copied;
        if (!ReadUpTo(file, p.from, static_cast<std::size_t>(p.length), copied) || copied.size() != p.length)
          return TagStatus::IoError;
        tag += copied;
      }
      tag.append(static_cast<std::size_t>(padding), '\0');
      edit.offset = 0;
      edit.length = oldTagSize_;
      edit.bytes = std::move(tag);
      return TagStatus::Ok;
    });
  }

  TagStatus Rebuild(const std::string& path, std::uint64_t padding) {
    return RebuildFile(tag_.fs_, path, [&](RandomAccessFile& source, std::uint64_t size, RandomAccessFile& target) {
      if (!Unchanged(source, size)) return TagStatus::IoError;
      std::uint64_t at = 0;
      auto put = [&](const std::string& bytes) {
        const bool ok = target.WriteAt(at, bytes.data(), bytes.size());
        at += bytes.size();
        return ok;
      };
      if (!put(header_)) return TagStatus::IoError;
      for (const Piece& p : pieces_) {
        if (!put(p.bytes) || !CopyRange(source, p.from, p.length, target, at)) return TagStatus::IoError;
        at += p.length;
      }
      if (padding > 0 && !target.Truncate(at + padding)) return TagStatus::IoError;
      at += padding;
      return CopyRange(source, oldTagSize_, size - oldTagSize_, target, at) ? TagStatus::Ok
                                                                            : TagStatus::IoError;
    });
  }

  TID3v2& tag_;
  TID3v2::Snapshot base_;
  bool refused_ = false;
  std::uint64_t fileSize_ = 0;
  std::string oldHead_;
  std::uint64_t oldTagSize_ = 0;
  std::uint8_t version_ = 3;
  bool tagUnsync_ = false;
  bool inMemory_ = false;
  std::vector<Frame> frames_;
  int comment_ = -1, link_ = -1, picture_ = -1;
  std::optional<Described> commentFrame_, linkFrame_;
  std::map<std::size_t, std::uint8_t> pictureTypes_;
  std::map<std::size_t, bool> usablePictures_;
  std::vector<Piece> pieces_;
  std::string header_;
  std::uint64_t newTagSize_ = 0;
};

bool TID3v2::SaveToFile(const std::string& fileName) {
  return Finish(ID3v2Saver(*this).Save(fileName));
}

}  // namespace sv::tags
