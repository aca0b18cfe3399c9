#include "player/app/Unit_CDDB.h"

#include <exception>
#include <utility>
#include <vector>

#include "base/IniFile.h"
#include "player/CddbProtocol.h"
#include "player/ProgramVersion.h"
#include "player/Settings.h"

namespace player {

namespace {

constexpr std::uint16_t kBalloonMs = 5000;
constexpr int kInfoIcon = 1;
constexpr int kErrorIcon = 3;
constexpr char kFailed[] = "CDDB Check... Failed.";

void WriteSection(const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keys) {
  sv::IniFile cache(path);
  cache.BeginUpdate();
  for (const auto& [key, value] : keys) cache.WriteString(section, key, value);
  cache.EndUpdate();
}

}  // namespace

void CddbLookupRunner::Balloon(const std::string& text, int iconType) {
  if (ShowBalloon) ShowBalloon("Sorivanel", text, iconType, kBalloonMs);
}

bool CddbLookupRunner::Lookup(int drive) {
  if (running_) return false;
  const std::string queryText = Drives ? Drives->DiscId(drive) : std::string();
  if (queryText.empty()) return true;
  running_ = true;
  struct Release {
    bool& running;
    ~Release() { running = false; }
  } release{running_};

  Balloon("CDDB Check...", kInfoIcon);
  const auto disc = ParseDiscQuery(queryText);
  if (!disc) {
    Balloon(kFailed, kErrorIcon);
    return true;
  }
  try {
    Exchange(CddbSectionName(queryText), *disc);
  } catch (const std::exception&) {
    // The cache could not be written: the disc is asked for again later.
    Balloon(kFailed, kErrorIcon);
  }
  return true;
}

void CddbLookupRunner::Exchange(const std::string& section, const DiscQuery& disc) {
  const SettingsFile settingsFile(SettingsPath);
  const sv::IniFile settings(SettingsPath);
  const std::string server = CddbServerFromSettings(settings);
  const std::string helloHost = CddbHelloHostFromSettings(settings);

  const NetReply query = HttpGet(CddbQueryUrl(server, disc, helloHost, kProgramVersion), settingsFile.ReadProxy(),
                                 Limits);
  if (!query.Ok) {
    Balloon(std::string(kFailed) + "\r\n" + query.Reason, kErrorIcon);
    return;
  }
  const CddbQueryReply match = ParseCddbQueryReply(query.Body);
  if (match.kind == CddbQueryReply::Kind::NoMatch) {
    WriteSection(CachePath, section, {{"MATCH", "0"}});
    Balloon("CDDB Check... No match found.", kErrorIcon);
    return;
  }
  if (match.kind != CddbQueryReply::Kind::Match) {
    Balloon(kFailed, kErrorIcon);
    return;
  }

  const NetReply read = HttpGet(CddbReadUrl(server, match.category, match.discId, helloHost, kProgramVersion),
                                settingsFile.ReadProxy(), Limits);
  if (!read.Ok) {
    Balloon(std::string(kFailed) + "\r\n" + read.Reason, kErrorIcon);
    return;
  }
  const CddbReadReply entry = ParseCddbReadReply(read.Body, disc.offsets.size(), match.discId);
  switch (entry.kind) {
    case CddbReadReply::Kind::Entry:
      WriteSection(CachePath, section, CddbMatchKeys(entry.entry, disc));
      Balloon("CDDB Check... Match found!", kInfoIcon);
      if (OnMatch) OnMatch();
      return;
    case CddbReadReply::Kind::NotFound:
      WriteSection(CachePath, section, {{"MATCH", "0"}});
      return;
    case CddbReadReply::Kind::Failed:
      Balloon(kFailed, kErrorIcon);
      return;
  }
}

}  // namespace player
