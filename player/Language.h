#pragma once
// Language files and the texts they give each window. A language file is an
// INI file read with the profile-file rules of the INI layer (names ignore
// case, the first occurrence wins, values are trimmed and lose one pair of
// enclosing quotes); a key present with an empty value gives the empty text,
// a missing file, section or key the built-in text. The file is opened for
// one use and dropped: nothing is kept between uses.
#include <string>
#include <string_view>
#include <vector>

#include "base/IniFile.h"
#include "player/LanguageTables.h"

namespace player {

// At most this many characters of a value are read.
inline constexpr std::size_t kMaxLanguageValue = 2047;
// The about text takes at most this many APROPOS lines.
inline constexpr int kMaxAboutLines = 1000;
// The notebook of the options window has this many pages.
inline constexpr int kOptionPages = 9;

class LanguageFile {
 public:
  // UTF-8 path; a missing or unreadable file reads as empty.
  explicit LanguageFile(std::string path);
  // As if the file held these bytes (tests).
  LanguageFile(std::string path, std::string_view fileBytes);

  std::string Read(std::string_view section, std::string_view key, std::string_view def) const;
  // A key of OtherLanguageKeys, with its built-in text.
  std::string Read(std::string_view section, std::string_view key) const;
  // MESSAGES <number>.
  std::string Message(int number) const;
  // APROPOS "100", "101", ... up to the first missing number.
  std::vector<std::string> AboutLines() const;
  // NAME Name, else the file's own name.
  std::string DisplayName() const;

 private:
  sv::IniFile ini_;
};

// The first `count` characters of UTF-8 text.
std::string CutCharacters(std::string_view text, std::size_t count);

std::string Decorate(std::string_view text, Decoration decor);

// The notebook page whose title key "PageN" sets; -1 outside 0..8. The
// pages stand in the window in an order of their own.
int NotebookPageOfKey(int keyNumber);

// "v" + version, cut to 5 characters.
std::string VersionLabel(std::string_view version);
// The about text before the APROPOS lines.
std::vector<std::string> AboutHeader(std::string_view version);

// One text for one target, as a window applies it.
enum class TextKind {
  Caption,    // Text; component "" is the window
  Hint,       // Text
  Item,       // Text into item Index
  PageTitle,  // Text into page Index
  Lines,      // the about text: Lines, bold, scrolled to the top
  Items,      // the list's items := Lines; item Index selected (-1: none)
  Click,      // the component's click handler runs
};

struct LanguageText {
  std::string Component;
  TextKind Kind = TextKind::Caption;
  int Index = 0;
  std::string Text;
  std::vector<std::string> Lines;

  bool operator==(const LanguageText&) const = default;
};

// What one window gets from the file, in the order of its entries.
std::vector<LanguageText> ResolveLanguageTexts(LangWindow window, const LanguageFile& file,
                                               std::string_view version);

}  // namespace player
