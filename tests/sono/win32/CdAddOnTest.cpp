// sonocd.dll under Wine, which has no CD drive here: drive numbers past the
// last fail, no disc means no identifier, and the add-on loads as a plug-in
// of sono.dll for CD track files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "sono/include/sono.h"
#include "sono/include/sonocd.h"

namespace {

int CdDriveCount() {
  int count = 0;
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    if ((drives & (1u << i)) && GetDriveTypeW(root) == DRIVE_CDROM) ++count;
  }
  return count;
}

TEST(SonoCd, DriveLettersEndAfterTheLastCdDrive) {
  const int drives = CdDriveCount();
  for (int i = 0; i < drives; ++i) {
    const int letter = SONO_CD_GetDriveLetter(static_cast<DWORD>(i));
    ASSERT_GE(letter, 0);
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0};
    EXPECT_EQ(GetDriveTypeW(root), UINT{DRIVE_CDROM});
  }
  EXPECT_EQ(SONO_CD_GetDriveLetter(static_cast<DWORD>(drives)), -1);
  EXPECT_EQ(SONO_CD_GetDriveLetter(0xFFFFFFFFu), -1);
}

TEST(SonoCd, NoDiscGivesNoIdentifier) {
  const int drives = CdDriveCount();
  EXPECT_EQ(SONO_CD_GetID(static_cast<DWORD>(drives), SONO_CDID_CDDB), nullptr);
  EXPECT_EQ(SONO_CD_GetID(0, 7), nullptr);
}

TEST(SonoCd, AddOnIsAPluginForTrackFiles) {
  const HSONOPLUGIN plugin = SONO_PluginLoad("sonocd.dll", 0);
  ASSERT_NE(plugin, 0u) << SONO_ErrorGetCode();
  const SONO_PLUGININFO* info = SONO_PluginGetInfo(plugin);
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->formatc, 1u);
  EXPECT_STREQ(info->formats[0].exts, "*.cda");
  // No drive answers for this track, so nothing plays and nothing breaks.
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, "Q:\\Track01.cda", 0, 0, 0), 0u);
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, "Q:\\Track00.cda", 0, 0, 0), 0u);
}

}  // namespace
