#pragma once
// APE tags (APEv1 and APEv2), found by their 32-byte footer at the end of
// the file, before a trailing ID3v1 record (and its Lyrics3 block) if there
// is one. Written back as APEv2 with header and footer, in the same place,
// except that a tag before a Lyrics3 block that ends the file moves after it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

struct RField {
  std::string Name;   // trimmed
  std::string Value;  // trimmed, at most its first 250 bytes, up to a NUL
  // How the item was stored, so that an unchanged field (same Name and
  // Value as read) is written back byte for byte: binary items, flags,
  // multiple values and long values survive.
  struct StoredItem {
    std::string name, value;  // bytes as they go into an APEv2 tag
    std::uint32_t flags = 0;
    std::string shownName, shownValue;
  };
  std::optional<StoredItem> Stored;
};

class TAPETag {
 public:
  explicit TAPETag(FileSystem& fs = NativeFileSystem()) : fs_(fs) {}

  // No fields, Exists false, Version 0, Size 0.
  void ResetData();

  // False when the footer area cannot be read (a file of 32 bytes or less
  // after any ID3v1 record) or a read fails; true otherwise, with Exists
  // telling whether a tag was found. APEv2 text is UTF-8 (bytes that are not
  // are taken as ANSI, AnsiCodec.h); APEv1 text is ANSI. LastStatus(): Ok,
  // NoTag, OpenFailed, IoError, Malformed (a broken tag: the items before
  // the fault are kept), Unsupported (a tag larger than 16 MiB: not read).
  bool ReadFromFile(const std::string& path);

  // Replaces the file's APE tag by one built from Fields, or adds one (before
  // a trailing ID3v1 record and its Lyrics3 block; after a Lyrics3 block
  // with no record, at the end of the file). The file is either
  // unchanged or has the complete new tag. LastStatus(): Ok, OpenFailed,
  // IoError, Malformed (the stored tag's bounds cannot be trusted: nothing
  // written), Unsupported (a stored tag too large to rewrite safely).
  bool SaveToFile(const std::string& path);

  TagStatus LastStatus() const { return status_; }

  // Appends a text field.
  void AddField(const std::string& name, const std::string& value);
  // The value of the first field named `name` (ASCII case ignored); "" when
  // none.
  std::string GetField(const std::string& name) const;
  // Replaces the first match's value, or appends a field.
  void SetField(const std::string& name, const std::string& value);

  std::vector<RField> Fields;
  bool Exists = false;
  std::uint32_t Version = 0;  // 1000 for APEv1, 2000 for APEv2
  std::uint32_t Size = 0;     // items + footer, without a header

 private:
  FileSystem& fs_;
  TagStatus status_ = TagStatus::NoTag;
};

}  // namespace sv::tags
