#include "player/Language.h"

#include <array>

#include "base/Paths.h"

namespace player {
namespace {

constexpr std::array<int, kOptionPages> kPageOfKey = {0, 1, 2, 4, 3, 8, 5, 6, 7};

// The program's own line of the about text; no language file replaces it.
constexpr char kAboutNotice[] = "Free software, provided without any warranty.";

// "PageN" -> N, else -1.
int PageKeyNumber(std::string_view key) {
  constexpr std::string_view kPrefix = "Page";
  if (key.size() != kPrefix.size() + 1 || key.substr(0, kPrefix.size()) != kPrefix) return -1;
  const char digit = key.back();
  return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

}  // namespace

LanguageFile::LanguageFile(std::string path) : ini_(std::move(path)) {}

LanguageFile::LanguageFile(std::string path, std::string_view fileBytes) : ini_(std::move(path), fileBytes) {}

std::string LanguageFile::Read(std::string_view section, std::string_view key, std::string_view def) const {
  return CutCharacters(ini_.ReadString(std::string(section), std::string(key), std::string(def)), kMaxLanguageValue);
}

std::string LanguageFile::Read(std::string_view section, std::string_view key) const {
  return Read(section, key, LanguageDefault(section, key));
}

std::string LanguageFile::Message(int number) const { return Read(lang::kMessages, std::to_string(number)); }

std::vector<std::string> LanguageFile::AboutLines() const {
  std::vector<std::string> lines;
  for (int number = 100; number < 100 + kMaxAboutLines; ++number) {
    const std::string key = std::to_string(number);
    if (!ini_.ValueExists(lang::kApropos, key)) break;
    lines.push_back(Read(lang::kApropos, key, ""));
  }
  return lines;
}

std::string LanguageFile::DisplayName() const { return Read(lang::kName, "Name", sv::ExtractFileName(ini_.FileName())); }

std::string CutCharacters(std::string_view text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (seen++ == count) return std::string(text.substr(0, at));
  }
  return std::string(text);
}

std::string Decorate(std::string_view text, Decoration decor) {
  const std::string plain(text);
  switch (decor) {
    case Decoration::Ellipsis:
      return plain + "...";
    case Decoration::ThreeBlanks:
      return plain + "   ";
    case Decoration::Angles:
      return "< " + plain + " >";
    case Decoration::WindowTitle:
      return "Sorivanel - " + plain;
    case Decoration::None:
      break;
  }
  return plain;
}

int NotebookPageOfKey(int keyNumber) {
  return keyNumber >= 0 && keyNumber < kOptionPages ? kPageOfKey[static_cast<std::size_t>(keyNumber)] : -1;
}

std::string VersionLabel(std::string_view version) { return CutCharacters("v" + std::string(version), 5); }

std::vector<std::string> AboutHeader(std::string_view version) {
  return {CutCharacters("Sorivanel v" + std::string(version), 15), kAboutNotice, ""};
}

std::vector<LanguageText> ResolveLanguageTexts(LangWindow window, const LanguageFile& file,
                                               std::string_view version) {
  std::vector<LanguageText> texts;
  std::array<std::string, kOptionPages> pageTitles;
  for (const LanguageEntry& entry : LanguageEntries(window)) {
    LanguageText text;
    text.Component = entry.Component;
    if (entry.Section) text.Text = Decorate(file.Read(entry.Section, entry.Key, entry.Default), entry.Decor);
    switch (entry.Kind) {
      case EntryKind::Caption:
        break;
      case EntryKind::Hint:
        text.Kind = TextKind::Hint;
        break;
      case EntryKind::Item:
        text.Kind = TextKind::Item;
        text.Index = entry.Index;
        break;
      case EntryKind::PageTitle: {
        const int page = NotebookPageOfKey(PageKeyNumber(entry.Key));
        if (page < 0) continue;
        text.Kind = TextKind::PageTitle;
        text.Index = page;
        pageTitles[static_cast<std::size_t>(page)] = text.Text;
        break;
      }
      case EntryKind::Version:
        text.Text = VersionLabel(version);
        break;
      case EntryKind::ClearItems:
        text.Kind = TextKind::Items;
        text.Index = -1;
        break;
      case EntryKind::AboutText: {
        text.Kind = TextKind::Lines;
        text.Lines = AboutHeader(version);
        std::vector<std::string> lines = file.AboutLines();
        text.Lines.insert(text.Lines.end(), lines.begin(), lines.end());
        break;
      }
      case EntryKind::PageList:
        text.Kind = TextKind::Items;
        text.Lines.assign(pageTitles.begin(), pageTitles.end());
        break;
      case EntryKind::Click:
        text.Kind = TextKind::Click;
        break;
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

}  // namespace player
