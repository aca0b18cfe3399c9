#include "base/IniFile.h"

#include <string_view>
#include <system_error>
#include <unordered_set>

#include "base/Ascii.h"
#include "base/Numbers.h"
#include "base/TextFile.h"

namespace sv {
namespace {

constexpr std::size_t npos = std::string::npos;

// A value may not carry line breaks into the file: they would start new
// lines, even new sections.
std::string OneLine(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

}  // namespace

IniFile::Line IniFile::Parse(std::string text, std::string eol) {
  Line line;
  const std::string_view body = TrimLeft(text);
  const std::size_t start = text.size() - body.size();
  if (!body.empty() && body.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != npos && close > start) {
      line.kind = Line::Kind::Section;
      line.name = std::string(Trim(std::string_view(text).substr(start + 1, close - start - 1)));
    }
  } else if (!body.empty() && body.front() != ';') {
    const std::size_t eq = text.find('=', start);
    if (eq != npos) {
      std::string name(TrimRight(std::string_view(text).substr(start, eq - start)));
      if (!name.empty()) {
        line.kind = Line::Kind::Key;
        line.name = std::move(name);
        const std::string_view after = std::string_view(text).substr(eq + 1);
        line.valueAt = eq + 1 + (after.size() - TrimLeft(after).size());
      }
    }
  }
  line.text = std::move(text);
  line.eol = std::move(eol);
  return line;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::string bytes;
  try {
    if (!FileExists(path_)) {
      // A folder or other non-file in the way: nothing to read, nothing to
      // replace either.
      std::error_code ec;
      unreadable_ = std::filesystem::exists(PathFromUtf8(path_), ec);
      return;
    }
    bytes = ReadFileBytes(path_);
  } catch (const FileReadError&) {
    unreadable_ = true;
    return;
  }
  Load(bytes);
}

IniFile::IniFile(std::string path, std::string_view fileBytes) : path_(std::move(path)) { Load(fileBytes); }

void IniFile::Load(std::string_view fileBytes) {
  TextEncoding encoding;
  const std::string text = DecodeText(fileBytes, &encoding);
  bom_ = encoding == TextEncoding::Utf8Bom;
  bool eolSeen = false;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == npos) {
      lines_.push_back(Parse(text.substr(pos), ""));
      break;
    }
    const std::size_t breakLength = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    lines_.push_back(Parse(text.substr(pos, end - pos), text.substr(end, breakLength)));
    if (!eolSeen) {
      eol_ = lines_.back().eol;
      eolSeen = true;
    }
    pos = end + breakLength;
  }
}

std::size_t IniFile::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Kind::Section && SameTextAscii(lines_[i].name, section)) return i;
  return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Line::Kind::Section) ++i;
  return i;
}

std::size_t IniFile::FindKey(const std::string& section, const std::string& key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return npos;
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i)
    if (lines_[i].kind == Line::Kind::Key && SameTextAscii(lines_[i].name, key)) return i;
  return npos;
}

std::optional<std::string> IniFile::Value(const std::string& section, const std::string& key) const {
  const std::size_t i = FindKey(section, key);
  if (i == npos) return std::nullopt;
  return StripQuotes(TrimRight(std::string_view(lines_[i].text).substr(lines_[i].valueAt)));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  return Value(section, key).value_or(def);
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  const auto v = Value(section, key);
  return v ? ParseInt32(*v).value_or(def) : def;
}

int64_t IniFile::ReadInt64(const std::string& section, const std::string& key, int64_t def) const {
  const auto v = Value(section, key);
  return v ? ParseInt64(*v).value_or(def) : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
  const auto v = Value(section, key);
  return v ? ParseFloat(*v).value_or(def) : def;
}

bool IniFile::SectionExists(const std::string& section) const { return FindSection(section) != npos; }

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindKey(section, key) != npos;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  const std::size_t header = FindSection(section);
  if (header == npos) return keys;
  std::unordered_set<std::string> seen;
  for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (lines_[i].kind == Line::Kind::Key && seen.insert(LowerAscii(lines_[i].name)).second)
      keys.push_back(lines_[i].name);
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> values;
  const std::size_t header = FindSection(section);
  if (header == npos) return values;
  std::unordered_set<std::string> seen;
  for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Line::Kind::Key || !seen.insert(LowerAscii(line.name)).second) continue;
    values.emplace_back(line.name, StripQuotes(TrimRight(std::string_view(line.text).substr(line.valueAt))));
  }
  return values;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> sections;
  std::unordered_set<std::string> seen;
  for (const Line& line : lines_)
    if (line.kind == Line::Kind::Section && seen.insert(LowerAscii(line.name)).second) sections.push_back(line.name);
  return sections;
}

void IniFile::InsertLine(std::size_t at, std::string text) {
  // The line before gains a break if it was a last line without one.
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Parse(std::move(text), eol_));
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (section.empty() || key.empty()) return;
  const std::string v = OneLine(value);
  const std::size_t at = FindKey(section, key);
  if (at != npos) {
    Line& line = lines_[at];
    // The same value already there: no write at all, as the system does.
    if (TrimRight(std::string_view(line.text).substr(line.valueAt)) == v) return;
    // Everything up to the value stays as written by hand.
    lines_[at] = Parse(line.text.substr(0, line.valueAt) + v, line.eol);
  } else {
    const std::string entry = OneLine(key) + "=" + v;
    std::size_t header = FindSection(section);
    if (header == npos) {
      InsertLine(lines_.size(), "[" + OneLine(section) + "]");
      InsertLine(lines_.size(), entry);
    } else {
      // After the section's last non-blank line, so that blank lines keep
      // separating it from the next section.
      std::size_t last = header;
      for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
        if (!Trim(lines_[i].text).empty()) last = i;
      InsertLine(last + 1, entry);
    }
  }
  Save();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteInt64(const std::string& section, const std::string& key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  WriteString(section, key, FormatFloat(value));
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  const std::size_t header = FindSection(section);
  if (header == npos) return;
  bool changed = false;
  // Every occurrence, or a later duplicate would surface in its place.
  for (std::size_t i = SectionEnd(header); i-- > header + 1;) {
    if (lines_[i].kind == Line::Kind::Key && SameTextAscii(lines_[i].name, key)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    }
  }
  if (changed) Save();
}

void IniFile::EraseSection(const std::string& section) {
  bool changed = false;
  // Every occurrence: a later duplicate must not come back as the section.
  for (std::size_t header = FindSection(section); header != npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    changed = true;
  }
  if (changed) Save();
}

void IniFile::BeginUpdate() { ++updating_; }

void IniFile::EndUpdate() {
  if (updating_ == 0 || --updating_ > 0 || !dirty_) return;
  dirty_ = false;
  Save();
}

std::string IniFile::Contents() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += line.eol;
  }
  return text;
}

void IniFile::Save() {
  if (updating_ > 0) {
    dirty_ = true;
    return;
  }
  if (unreadable_) throw IniWriteError("Unable to write to " + path_ + ": it could not be read first");
  const std::string bytes = Utf8FileBytes(Contents(), bom_);
  try {
    WriteFileAtomic(path_, bytes);
  } catch (const FileWriteError& e) {
    // The text names the file and the system's reason.
    throw IniWriteError(e.Message());
  }
  bom_ = bytes.starts_with(kUtf8Bom);
}

}  // namespace sv
