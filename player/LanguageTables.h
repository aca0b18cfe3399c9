#pragma once
// What a language file holds: for each window, the keys that set its texts,
// in the order they are applied, with the built-in French text of each; and
// the keys that other routines read themselves (numbered messages, the help
// lines of the title templates, the licence file name).
#include <span>
#include <string_view>

namespace player {

// The argument of ChargeLangue.
enum class LangWindow { All = 0, Main = 1, Options = 2, TagEditor = 3, Equalizer = 4, Search = 5 };

namespace lang {
inline constexpr char kName[] = "NAME";
inline constexpr char kMenu[] = "MENU";
inline constexpr char kMain[] = "MAIN";
inline constexpr char kOption[] = "OPTION";
inline constexpr char kApropos[] = "APROPOS";
inline constexpr char kId3Tag[] = "ID3TAG";
inline constexpr char kRecherche[] = "RECHERCHE";
inline constexpr char kMessages[] = "MESSAGES";
}  // namespace lang

// What an entry sets.
enum class EntryKind : unsigned char {
  Caption,     // the component's caption or a menu item's; component "" is the window
  Hint,        // the component's tooltip
  Item,        // item `Index` of a radio group
  PageTitle,   // the title of the notebook page that key "PageN" names
  Version,     // "v" + the program's version, cut to 5 characters; reads no key
  ClearItems,  // the list's items are removed; reads no key
  AboutText,   // the about text with the APROPOS lines; reads no key
  PageList,    // the list := the notebook's page titles, item 0 selected; reads no key
  Click,       // the component's click handler runs; reads no key
};

// Suffixes and frames the code adds: a language value cannot end with blanks.
enum class Decoration : unsigned char {
  None,
  Ellipsis,     // text + "..."
  ThreeBlanks,  // text + "   "
  Angles,       // "< " + text + " >"
  WindowTitle,  // "Sorivanel - " + text
};

struct LanguageEntry {
  const char* Section;    // null for entries that read no key
  const char* Key;
  const char* Default;    // UTF-8
  const char* Component;  // the target; "" is the window itself
  EntryKind Kind;
  Decoration Decor;
  int Index;              // Item: the item's number
};

// The entries of one window in the order they are applied; empty for All.
std::span<const LanguageEntry> LanguageEntries(LangWindow window);

// A key read by a routine of its own, with its built-in text.
struct LanguageKey {
  const char* Section;
  const char* Key;
  const char* Default;
};
// Section MESSAGES and the OPTION keys of the options pages' routines.
std::span<const LanguageKey> OtherLanguageKeys();

// The built-in text of a key of OtherLanguageKeys; empty when unknown.
std::string_view LanguageDefault(std::string_view section, std::string_view key);

// Every key name of a section that a language file may hold (section
// APROPOS holds numbered lines instead: see IsAboutLineKey).
bool IsKnownLanguageKey(std::string_view section, std::string_view key);
bool IsAboutLineKey(std::string_view key);

}  // namespace player
