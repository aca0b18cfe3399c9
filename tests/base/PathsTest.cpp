#include <gtest/gtest.h>

#include <cmath>

#include "base/CommandLine.h"
#include "base/Duration.h"
#include "base/Paths.h"

using namespace sv;

TEST(Paths, SplittingAFileName) {
  EXPECT_EQ(ExtractFilePath("C:\\Music\\Album\\01.mp3"), "C:\\Music\\Album\\");
  EXPECT_EQ(ExtractFileName("C:\\Music\\Album\\01.mp3"), "01.mp3");
  EXPECT_EQ(ExtractFileExt("C:\\Music\\Album\\01.Intro.MP3"), ".MP3");
  EXPECT_EQ(ExtractFileExt("C:\\Music.dir\\noext"), "");
  EXPECT_EQ(ExtractFilePath("C:file.ogg"), "C:");
  EXPECT_EQ(ExtractFileName("C:file.ogg"), "file.ogg");
  EXPECT_EQ(ExtractFilePath("skin/default/skin.ini"), "skin/default/");
  EXPECT_EQ(ExtractFilePath("name.ini"), "");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\x\\y.mp3"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("d:\\x"), "d:");
  EXPECT_EQ(ExtractFileDrive("x\\y"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
}

TEST(Paths, RelativeToABaseFolder) {
  const std::string base = "C:\\Program Files\\Sorivanel\\";
  EXPECT_EQ(ExtractRelativePath(base, "C:\\Program Files\\Sorivanel\\skin\\default\\skin.ini"),
            "skin\\default\\skin.ini");
  EXPECT_EQ(ExtractRelativePath(base, "c:\\PROGRAM FILES\\sorivanel\\a.m3u"), "a.m3u");
  EXPECT_EQ(ExtractRelativePath(base, "C:\\Music\\a.mp3"), "..\\..\\Music\\a.mp3");
  EXPECT_EQ(ExtractRelativePath(base, "C:\\a.mp3"), "..\\..\\a.mp3");
  EXPECT_EQ(ExtractRelativePath(base, "D:\\Music\\a.mp3"), "D:\\Music\\a.mp3");
  EXPECT_EQ(ExtractRelativePath(base, "Music\\a.mp3"), "Music\\a.mp3");
  EXPECT_EQ(ExtractRelativePath("C:\\Program Files\\Sorivanel\\Sorivanel.exe", "C:\\Program Files\\x.ini"),
            "..\\x.ini");
  EXPECT_EQ(ExtractRelativePath("\\\\nas\\music\\list.m3u", "\\\\NAS\\Music\\rock\\a.mp3"), "rock\\a.mp3");
}

TEST(Paths, ExpandingAgainstABaseFolder) {
  const std::string base = "C:\\Program Files\\Sorivanel\\";
  EXPECT_EQ(ExpandFileName("skin\\default\\skin.ini", base), "C:\\Program Files\\Sorivanel\\skin\\default\\skin.ini");
  EXPECT_EQ(ExpandFileName("..\\..\\Music\\a.mp3", base), "C:\\Music\\a.mp3");
  EXPECT_EQ(ExpandFileName("..\\..\\..\\..\\a.mp3", base), "C:\\a.mp3");
  EXPECT_EQ(ExpandFileName(".\\lang\\.\\x.ini", base), "C:\\Program Files\\Sorivanel\\lang\\x.ini");
  EXPECT_EQ(ExpandFileName("D:/Music/./a/../b.mp3", base), "D:\\Music\\b.mp3");
  EXPECT_EQ(ExpandFileName("\\Music\\a.mp3", base), "C:\\Music\\a.mp3");
  EXPECT_EQ(ExpandFileName("\\\\nas\\music\\..\\..\\a.mp3", base), "\\\\nas\\music\\a.mp3");
  EXPECT_EQ(ExpandFileName("skin\\", base), "C:\\Program Files\\Sorivanel\\skin\\");
  EXPECT_EQ(ExpandFileName("..", "C:\\"), "C:\\");
  EXPECT_EQ(ExpandFileName("x.mp3", "\\\\nas\\music"), "\\\\nas\\music\\x.mp3");
  // Relative and back again.
  const std::string file = "C:\\Music\\Album\\01.mp3";
  EXPECT_EQ(ExpandFileName(ExtractRelativePath(base, file), base), file);
}

TEST(CommandLine, QuotesToggleAndBackslashesAreLiteral) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Sorivanel\\Sorivanel.exe\" \"D:\\\" /play"),
            (std::vector<std::string>{"C:\\Program Files\\Sorivanel\\Sorivanel.exe", "D:\\", "/play"}));
  EXPECT_EQ(SplitCommandLine("prog a\"b c\"d  \t e"), (std::vector<std::string>{"prog", "ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("prog \"\" x \"\"\"\"y"), (std::vector<std::string>{"prog", "x", "y"}));
  EXPECT_EQ(SplitCommandLine("prog \"unterminated arg"), (std::vector<std::string>{"prog", "unterminated arg"}));
  EXPECT_EQ(SplitCommandLine("prog a\\\"b\\\""), (std::vector<std::string>{"prog", "a\\b\\"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  const CommandLine cl("Sorivanel.exe \"/skin:Dark Blue\" \"E:\\\xE9\x9F\xB3\\\"");
  EXPECT_EQ(cl.ParamCount(), 2);
  EXPECT_EQ(cl.ParamStr(0), "Sorivanel.exe");
  EXPECT_EQ(cl.ParamStr(1), "/skin:Dark Blue");
  EXPECT_EQ(cl.ParamStr(2), "E:\\\xE9\x9F\xB3\\");
  EXPECT_EQ(cl.ParamStr(3), "");
  EXPECT_EQ(CommandLine("").ParamCount(), 0);
}

TEST(Duration, MinutesHoursAndBeyondADay) {
  EXPECT_EQ(DurationText(0), "00:00");
  EXPECT_EQ(DurationText(59.4), "00:59");
  EXPECT_EQ(DurationText(59.9996), "01:00");  // rounded to milliseconds first
  EXPECT_EQ(DurationText(754), "12:34");
  EXPECT_EQ(DurationText(3599), "59:59");
  EXPECT_EQ(DurationText(3600), "01:00:00");
  EXPECT_EQ(DurationText(3 * 3600 + 25 * 60 + 7), "03:25:07");
  EXPECT_EQ(DurationText(25 * 3600), "25:00:00");
  EXPECT_EQ(DurationText(-5), "00:00");
  EXPECT_EQ(DurationText(std::nan("")), "00:00");
  EXPECT_EQ(DurationText(1e300).empty(), false);
}
