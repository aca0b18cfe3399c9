// INI parsing and editing: any file loads, unchanged content is written back
// as read, and values written in memory read back after a reload.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "base/IniFile.h"
#include "base/Numbers.h"
#include "base/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  sv::IniFile ini("fuzz.ini", bytes);
  REQUIRE(ini.Contents() == sv::DecodeText(bytes));

  const auto sections = ini.ReadSections();
  for (const auto& section : sections) {
    REQUIRE(ini.SectionExists(section));
    for (const auto& key : ini.ReadSection(section)) {
      REQUIRE(ini.ValueExists(section, key));
      const std::string value = ini.ReadString(section, key, "");
      const auto i32 = sv::ParseInt32(value);
      const auto i64 = sv::ParseInt64(value);
      const bool hex = value.find_first_of("$xX") != std::string::npos;
      if (i32 && !hex) REQUIRE(i64 && *i64 == *i32);
      if (const auto f = sv::ParseFloat(value)) REQUIRE(sv::ParseFloat(sv::FormatFloat(*f)).has_value());
      ini.ReadBool(section, key, false);
    }
  }

  // Edits stay in memory: the update is never ended, so nothing is saved.
  ini.BeginUpdate();
  if (sections.size() > 1) ini.EraseSection(sections[1]);
  if (!sections.empty()) {
    const auto keys = ini.ReadSection(sections.front());
    if (!keys.empty()) ini.DeleteKey(sections.front(), keys.front());
    if (!sections.front().empty()) ini.WriteString(sections.front(), "FuzzKey", "in first");
  }
  ini.WriteInt64("Fuzz New", "Big", 5000000000);
  ini.WriteFloat("Fuzz New", "Gain", 2.5);
  REQUIRE(ini.ReadInt64("Fuzz New", "Big", 0) == 5000000000);

  const std::string written = ini.Contents();
  // A leading U+FEFF left after the BOM would be taken as a BOM on reload.
  if (written.rfind("\xEF\xBB\xBF", 0) == 0) return 0;
  const sv::IniFile reloaded("fuzz.ini", written);
  REQUIRE(reloaded.Contents() == written);
  REQUIRE(reloaded.ReadInt64("Fuzz New", "Big", 0) == 5000000000);
  REQUIRE(reloaded.ReadFloat("Fuzz New", "Gain", 0) == 2.5);
  REQUIRE(reloaded.ReadSections() == ini.ReadSections());
  for (const auto& section : ini.ReadSections()) {
    const auto keys = ini.ReadSection(section);
    REQUIRE(reloaded.ReadSection(section) == keys);
    for (const auto& key : keys) REQUIRE(reloaded.ReadString(section, key, "?") == ini.ReadString(section, key, "!"));
  }
  return 0;
}
