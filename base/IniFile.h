#pragma once
// INI files with the Windows profile-file rules: section and key names ignore
// case, values are trimmed and lose one pair of enclosing quotes, the first
// occurrence wins. Files are read as text (base/TextFile.h: UTF-8, UTF-16
// with BOM, else the system's ANSI code page; behind a UTF-8 BOM line by
// line) and written as UTF-8 through a temporary file and an atomic replace.
// Every write keeps a BOM the file had and adds one once the file holds
// anything beyond ASCII, so that a line added later in an ANSI editor cannot
// turn the rest of the file into ANSI. Every use opens, reads or writes and
// drops the object in one call.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Exception.h"

namespace sv {

class IniWriteError : public Exception {
 public:
  using Exception::Exception;
};

class IniFile {
 public:
  // UTF-8 path; reads the file if present. A file that is present but cannot
  // be read (a folder, too large, locked) reads as empty and refuses every
  // write, so it is never replaced by a file holding only our few keys.
  explicit IniFile(std::string path);
  // As if path held these bytes; the disk is not read (tests and fuzzing).
  IniFile(std::string path, std::string_view fileBytes);
  const std::string& FileName() const { return path_; }
  // The file is there but could not be read (and reads as empty).
  bool Unreadable() const { return unreadable_; }
  // The text a save writes now (as the bytes of Utf8FileBytes).
  std::string Contents() const;

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Decimal with optional sign, or "$"/"0x" hexadecimal (up to 8 digits,
  // wrapping above $7FFFFFFF); anything else, or overflow, gives def.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  int64_t ReadInt64(const std::string& section, const std::string& key, int64_t def) const;
  // Any integer other than 0 is true; text that is no integer gives def.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  // Accepts "." or "," as the decimal separator.
  double ReadFloat(const std::string& section, const std::string& key, double def) const;

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSection(const std::string& section) const;  // key names in file order
  // Each key of the section once, with its value as ReadString gives it, in
  // file order: one pass for readers of many keys.
  std::vector<std::pair<std::string, std::string>> ReadSectionValues(const std::string& section) const;
  std::vector<std::string> ReadSections() const;

  // Each writer updates the file at once and raises IniWriteError
  // ("Unable to write to <file>: <reason>") when it cannot. Existing keys keep their
  // place, new keys go to the end of their section, new sections to the end.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteInt64(const std::string& section, const std::string& key, int64_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteFloat(const std::string& section, const std::string& key, double value);  // always "."
  void DeleteKey(const std::string& section, const std::string& key);
  void EraseSection(const std::string& section);

  // Several writes in one replace of the file: writes between BeginUpdate and
  // EndUpdate are kept in memory and saved once by EndUpdate.
  void BeginUpdate();
  void EndUpdate();

 private:
  // One line of the file as read, so that lines we do not change are written
  // back byte for byte.
  struct Line {
    enum class Kind { Other, Section, Key };
    std::string text;       // without its line break
    std::string eol;        // the break that followed it; "" for a last line without one
    Kind kind = Kind::Other;
    std::string name;       // section or key name, trimmed
    std::size_t valueAt = 0;  // key lines: where the value starts, after '=' and blanks
  };
  static Line Parse(std::string text, std::string eol);
  void Load(std::string_view fileBytes);
  std::size_t FindSection(const std::string& section) const;  // first header, or npos
  std::size_t SectionEnd(std::size_t header) const;            // next header or the end
  std::size_t FindKey(const std::string& section, const std::string& key) const;
  std::optional<std::string> Value(const std::string& section, const std::string& key) const;
  void InsertLine(std::size_t at, std::string text);
  void Save();

  std::string path_;
  std::vector<Line> lines_;
  std::string eol_ = "\r\n";  // break for new lines: the file's own, else CR LF
  bool unreadable_ = false;   // present but not loaded: never overwrite it
  bool bom_ = false;          // the file begins with the UTF-8 BOM
  int updating_ = 0;
  bool dirty_ = false;
};

}  // namespace sv
