#include "player/TemplateHelp.h"

#include <span>

#include "base/Ascii.h"
#include "player/SettingsKeys.h"

namespace player {

namespace {

struct GroupHelp {
  const char* TitleKey;
  std::span<const int> Lines;  // AideFormatNom<n>
};

constexpr int kTaggedLines[] = {1, 2, 3, 4, 5, 10, 6, 7, 8, 9};
constexpr int kUntaggedLines[] = {1, 6, 7, 8, 9};
constexpr int kCdLines[] = {6, 7, 9};

GroupHelp HelpOf(TemplateGroup group) {
  switch (group) {
    case TemplateGroup::Tagged:
      return {"GroupBox11", kTaggedLines};
    case TemplateGroup::Untagged:
      return {"GroupBox12", kUntaggedLines};
    case TemplateGroup::CdTrack:
      return {"GroupBox13", kCdLines};
  }
  return {"GroupBox11", kTaggedLines};
}

// The group box's built-in caption is the title's built-in text.
std::string_view OptionCaptionDefault(std::string_view key) {
  for (const LanguageEntry& entry : LanguageEntries(LangWindow::Options))
    if (entry.Section && sv::SameTextAscii(entry.Key, key)) return entry.Default;
  return {};
}

}  // namespace

std::string_view DefaultTemplate(TemplateGroup group) {
  switch (group) {
    case TemplateGroup::Tagged:
      return ini::defaults::kTaggedTemplate;
    case TemplateGroup::Untagged:
      return ini::defaults::kUntaggedTemplate;
    case TemplateGroup::CdTrack:
      return ini::defaults::kCdTemplate;
  }
  return {};
}

std::vector<std::string> TemplateHelpLines(TemplateGroup group, const LanguageFile& file) {
  const GroupHelp help = HelpOf(group);
  std::vector<std::string> lines;
  lines.push_back("- " + file.Read(lang::kOption, help.TitleKey, OptionCaptionDefault(help.TitleKey)) + " -");
  for (const int n : help.Lines) lines.push_back(file.Read(lang::kOption, "AideFormatNom" + std::to_string(n)));
  return lines;
}

}  // namespace player
