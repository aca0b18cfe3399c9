#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "TempFolder.h"
#include "base/AnsiCodec.h"
#include "base/IniFile.h"
#include "base/TextFile.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace sv;
namespace fs = std::filesystem;

namespace {

// An INI file in a fresh folder, seeded with raw bytes.
struct IniFixture {
  TempFolder tmp;
  std::string path = tmp / "Sorivanel.ini";
  explicit IniFixture(const std::string& bytes = {}) {
    if (!bytes.empty()) WriteFileAtomic(path, bytes);
  }
};

}  // namespace

TEST(IniRead, IntegersFollowTheStrictRule) {
  IniFixture f("[HOTKEYS]\r\nPlay=$4078\r\nNext=0x4079\r\nBad=12x\r\nHuge=99999999999\r\nNeg=-7\r\n"
               "Wrap=$FFFFFFFF\r\nEmpty=\r\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Play", 0), 16504);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Next", 0), 16505);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Bad", 33), 33);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Huge", 33), 33);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Neg", 0), -7);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Wrap", 0), -1);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Empty", 33), 33);
  EXPECT_EQ(ini.ReadInteger("HOTKEYS", "Missing", 33), 33);
  EXPECT_EQ(ini.ReadInt64("HOTKEYS", "Huge", 0), 99999999999);
}

TEST(IniRead, BooleansAreIntegers) {
  IniFixture f("[LECT]\nTwo=2\nZero=0\nWord=true\n");
  IniFile ini(f.path);
  EXPECT_TRUE(ini.ReadBool("LECT", "Two", false));
  EXPECT_FALSE(ini.ReadBool("LECT", "Zero", true));
  EXPECT_FALSE(ini.ReadBool("LECT", "Word", false));
  EXPECT_TRUE(ini.ReadBool("LECT", "Word", true));
  EXPECT_TRUE(ini.ReadBool("LECT", "Missing", true));
}

TEST(IniRead, StringsAreTrimmedAndLoseOnePairOfQuotes) {
  IniFixture f("[S]\nA=  padded value  \nB=\"quoted \"\nC='single'\nD=\"a\" b \"c\"\nE=\"unbalanced\n"
               "F=\"\"\"x\"\"\"\nEmpty=\nG=\"mixed'\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadString("S", "A", "?"), "padded value");
  EXPECT_EQ(ini.ReadString("S", "B", "?"), "quoted ");
  EXPECT_EQ(ini.ReadString("S", "C", "?"), "single");
  EXPECT_EQ(ini.ReadString("S", "D", "?"), "a\" b \"c");
  EXPECT_EQ(ini.ReadString("S", "E", "?"), "\"unbalanced");
  EXPECT_EQ(ini.ReadString("S", "F", "?"), "\"\"x\"\"");
  EXPECT_EQ(ini.ReadString("S", "G", "?"), "\"mixed'");
  EXPECT_EQ(ini.ReadString("S", "Empty", "?"), "");  // present but empty is not the default
  EXPECT_EQ(ini.ReadString("S", "None", "?"), "?");
  EXPECT_EQ(IniFile(f.tmp / "absent.ini").ReadString("S", "A", "def"), "def");
}

TEST(IniRead, NamesIgnoreCaseAndTheFirstOccurrenceWins) {
  IniFixture f("[data]\nKey=first\nKEY=second\n[Other]\nx=1\n[DATA]\nkey=third\nLate=only here\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadString("Data", "key", "?"), "first");
  EXPECT_EQ(ini.ReadString("DATA", "Late", "?"), "?");  // a repeated section is not merged
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Othe"));
  EXPECT_TRUE(ini.ValueExists("other", "X"));
  EXPECT_FALSE(ini.ValueExists("other", "y"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"data", "Other"}));
  EXPECT_EQ(ini.ReadSection("DATA"), (std::vector<std::string>{"Key"}));
  using Values = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ini.ReadSectionValues("DATA"), (Values{{"Key", "first"}}));
  EXPECT_EQ(ini.ReadSectionValues("other"), (Values{{"x", "1"}}));
  EXPECT_TRUE(ini.ReadSectionValues("none").empty());
}

TEST(IniRead, HandWrittenOddities) {
  IniFixture f("stray=before any section\n  [ Spaced ]  \n  Key  =  v  \n; Comment=no\nnoequals\n=nokey\n"
               "[Broken\nk=in Spaced still\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadString("Spaced", "Key", "?"), "v");
  EXPECT_EQ(ini.ReadString("Spaced", "k", "?"), "in Spaced still");
  EXPECT_FALSE(ini.ValueExists("Spaced", "; Comment"));
  EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"Spaced"});
  EXPECT_EQ(ini.ReadSection("Spaced"), (std::vector<std::string>{"Key", "k"}));
  EXPECT_EQ(ini.ReadSectionValues("Spaced"),
            (std::vector<std::pair<std::string, std::string>>{{"Key", "v"}, {"k", "in Spaced still"}}));
}

TEST(IniRead, Utf16AndAnsiFilesRead) {
  IniFixture utf16(std::string("\xFF\xFE[\0D\0]\0\r\0\n\0N\0=\0\xE9\0\xF3\x97\r\0\n\0", 24));
  EXPECT_EQ(IniFile(utf16.path).ReadString("D", "N", "?"), "\xC3\xA9\xE9\x9F\xB3");  // é音
  IniFixture ansi("[D]\r\nN=caf\xE9\r\n");
  EXPECT_EQ(IniFile(ansi.path).ReadString("D", "N", "?"), "caf\xC3\xA9");
  IniFixture bom("\xEF\xBB\xBF[D]\nN=x\n");
  EXPECT_EQ(IniFile(bom.path).ReadString("D", "N", "?"), "x");
}

TEST(IniRead, BinaryJunkNeverCrashes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    std::string junk(4096, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    if (round % 2) junk = "[J]\r\n" + junk;
    IniFixture f(junk);
    IniFile ini(f.path);
    for (const auto& s : ini.ReadSections())
      for (const auto& k : ini.ReadSection(s)) {
        ini.ReadInteger(s, k, 0);
        ini.ReadFloat(s, k, 0);
      }
    ini.WriteString("J", "Added", "ok");
    IniFile again(f.path);
    EXPECT_EQ(again.ReadString("J", "Added", "?"), "ok");
    EXPECT_EQ(again.ReadSections(), ini.ReadSections());
  }
}

TEST(IniWrite, TypedValuesRoundTrip) {
  IniFixture f;
  {
    IniFile ini(f.path);
    ini.WriteInt64("LECT", "Position", 5000000000);
    ini.WriteFloat("LECT", "EQ1", 2.5);
    ini.WriteFloat("LECT", "EQ2", -0.0);
    ini.WriteBool("LECT", "Shuffle", true);
    ini.WriteBool("LECT", "Loop", false);
    ini.WriteInteger("LECT", "Volume", -80);
    ini.WriteString("LECT", "Long", std::string(5000, 'z'));
  }
  EXPECT_EQ(RawBytes(f.path), "[LECT]\r\nPosition=5000000000\r\nEQ1=2.5\r\nEQ2=0\r\nShuffle=1\r\nLoop=0\r\n"
                              "Volume=-80\r\nLong=" + std::string(5000, 'z') + "\r\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadInt64("LECT", "Position", 0), 5000000000);
  EXPECT_EQ(ini.ReadFloat("LECT", "EQ1", 0), 2.5);
  EXPECT_EQ(ini.ReadString("LECT", "Long", "").size(), 5000u);
}

TEST(IniWrite, CommaFloatsReadAndComeBackWithAPoint) {
  IniFixture f("[LECT]\r\nEQ1=2,5\r\nEQ2=2.5\r\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadFloat("LECT", "EQ1", 0), 2.5);
  EXPECT_EQ(ini.ReadFloat("LECT", "EQ2", 0), 2.5);
  ini.WriteFloat("LECT", "EQ1", ini.ReadFloat("LECT", "EQ1", 0));
  EXPECT_EQ(RawBytes(f.path), "[LECT]\r\nEQ1=2.5\r\nEQ2=2.5\r\n");
}

TEST(IniWrite, UnchangedLinesStayByteIdentical) {
  const std::string original =
      "; settings written by hand\n"
      "  [ Data ]   ; trailing note\n"
      "  Largeur =  620\n"
      "Hauteur=400\n"
      "\n"
      "[LECT]\r\n"
      "Volume= \"80\" \r\n"
      "\tEQ1 = 2,5\r\n"
      "\r\n"
      "[Last]\r"
      "k=v";
  IniFixture f(original);
  IniFile ini(f.path);
  ini.WriteInteger("DATA", "Largeur", 700);    // keeps "  Largeur =  "
  ini.WriteString("lect", "Volume", "\"80\"");  // same value: nothing to write
  ini.WriteString("Data", "New", "n");         // end of its section, before the blank line
  ini.WriteString("Fresh", "a", "1");          // new section at the end
  EXPECT_EQ(RawBytes(f.path),
            "; settings written by hand\n"
            "  [ Data ]   ; trailing note\n"
            "  Largeur =  700\n"
            "Hauteur=400\n"
            "New=n\n"
            "\n"
            "[LECT]\r\n"
            "Volume= \"80\" \r\n"
            "\tEQ1 = 2,5\r\n"
            "\r\n"
            "[Last]\r"
            "k=v\n"
            "[Fresh]\n"
            "a=1\n");
}

TEST(IniWrite, EraseSectionAndRewriteKeepOrder) {
  IniFixture f("[DATA]\r\nA=1\r\n[REPERTOIRES]\r\n0=C:\\a\\\r\n1=C:\\b\\\r\n2=C:\\c\\\r\n[LECT]\r\nB=2\r\n"
               "[repertoires]\r\n9=stale duplicate\r\n");
  IniFile ini(f.path);
  ini.BeginUpdate();
  ini.EraseSection("Repertoires");
  ini.WriteString("REPERTOIRES", "0", "C:\\c\\");
  ini.WriteString("REPERTOIRES", "1", "C:\\a\\");
  ini.EndUpdate();
  EXPECT_EQ(RawBytes(f.path), "[DATA]\r\nA=1\r\n[LECT]\r\nB=2\r\n[REPERTOIRES]\r\n0=C:\\c\\\r\n1=C:\\a\\\r\n");
  ini.DeleteKey("REPERTOIRES", "0");
  ini.DeleteKey("NoSuch", "0");
  EXPECT_EQ(IniFile(f.path).ReadSection("REPERTOIRES"), std::vector<std::string>{"1"});
}

TEST(IniWrite, AnUpdateIsSavedOnceAtItsEnd) {
  IniFixture f("[A]\nx=1\n");
  IniFile ini(f.path);
  ini.BeginUpdate();
  ini.BeginUpdate();
  ini.WriteInteger("A", "x", 2);
  ini.WriteInteger("A", "y", 3);
  ini.EndUpdate();
  EXPECT_EQ(RawBytes(f.path), "[A]\nx=1\n");
  EXPECT_EQ(ini.ReadInteger("A", "y", 0), 3);  // visible in memory at once
  ini.EndUpdate();
  EXPECT_EQ(RawBytes(f.path), "[A]\nx=2\ny=3\n");
}

TEST(IniWrite, LineBreaksInValuesCannotInjectLines) {
  IniFixture f;
  IniFile ini(f.path);
  ini.WriteString("A", "k", "one\r\n[Evil]\r\nx=1");
  IniFile again(f.path);
  EXPECT_FALSE(again.SectionExists("Evil"));
  EXPECT_EQ(again.ReadString("A", "k", "?"), "one  [Evil]  x=1");
}

TEST(IniWrite, TenMegabyteLineIsReadAndKept) {
  const std::string longLine = "Nodes=" + std::string(10 * 1024 * 1024, '7');
  IniFixture f("[DATA]\r\n" + longLine + "\r\nX=1\r\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadString("DATA", "Nodes", "").size(), 10u * 1024 * 1024);
  ini.WriteInteger("DATA", "X", 2);
  EXPECT_EQ(RawBytes(f.path), "[DATA]\r\n" + longLine + "\r\nX=2\r\n");
}

TEST(IniWrite, AnsiAndUtf16FilesAreRewrittenAsUtf8) {
  IniFixture ansi("[D]\r\nN=caf\xE9\r\n");
  IniFile(ansi.path).WriteString("D", "M", "\xE9\x9F\xB3");
  EXPECT_EQ(RawBytes(ansi.path), "\xEF\xBB\xBF[D]\r\nN=caf\xC3\xA9\r\nM=\xE9\x9F\xB3\r\n");
  IniFixture utf16(std::string("\xFF\xFE[\0D\0]\0\n\0", 10));
  IniFile(utf16.path).WriteString("D", "M", "x");
  EXPECT_EQ(RawBytes(utf16.path), "[D]\nM=x\n");
}

// Every kind of write keeps the BOM, or adds it once the file holds more
// than ASCII, and never adds a second; a plain ASCII file stays as it was.
TEST(IniWrite, TheBomIsKeptOrAddedOnceByEveryKindOfWrite) {
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    std::string before;
    std::function<void(IniFile&)> write;
    std::string after;
  };
  const Case cases[] = {
      {"ASCII stays bare", "[D]\r\nA=1\r\n", [](IniFile& f) { f.WriteInteger("D", "A", 2); }, "[D]\r\nA=2\r\n"},
      {"a new file", "", [](IniFile& f) { f.WriteString("D", "B", "café"); }, bom + "[D]\r\nB=café\r\n"},
      {"a non-ASCII value", "[D]\r\nA=1\r\n", [](IniFile& f) { f.WriteString("D", "B", "Песни"); },
       bom + "[D]\r\nA=1\r\nB=Песни\r\n"},
      {"a file of an older version, on an ASCII write", "[D]\r\nB=café\r\n",
       [](IniFile& f) { f.WriteBool("D", "A", true); }, bom + "[D]\r\nB=café\r\nA=1\r\n"},
      {"kept when the non-ASCII key goes", bom + "[D]\r\nB=café\r\nA=1\r\n",
       [](IniFile& f) { f.DeleteKey("D", "B"); }, bom + "[D]\r\nA=1\r\n"},
      {"kept by one object that wrote it", "[D]\r\nA=1\r\n",
       [](IniFile& f) {
         f.WriteString("D", "B", "café");
         f.DeleteKey("D", "B");
         f.WriteFloat("D", "C", 1.5);
       },
       bom + "[D]\r\nA=1\r\nC=1.5\r\n"},
      {"kept by erasing a section", bom + "[D]\r\nA=1\r\n[E]\r\nB=x\r\n", [](IniFile& f) { f.EraseSection("E"); },
       bom + "[D]\r\nA=1\r\n"},
      {"kept by an update", bom + "[D]\r\n",
       [](IniFile& f) {
         f.BeginUpdate();
         f.EraseSection("D");
         f.WriteInt64("R", "0", 1);
         f.EndUpdate();
       },
       bom + "[R]\r\n0=1\r\n"},
      {"an ANSI file becomes UTF-8", "[D]\r\nN=caf\xE9\r\n", [](IniFile& f) { f.WriteString("D", "M", "x"); },
       bom + "[D]\r\nN=café\r\nM=x\r\n"},
  };
  for (const Case& c : cases) {
    IniFixture f(c.before);
    IniFile ini(f.path);
    c.write(ini);
    EXPECT_EQ(RawBytes(f.path), c.after) << c.what;
    IniFile(f.path).WriteString("Z", "z", "1");
    EXPECT_EQ(RawBytes(f.path), c.after + "[Z]\r\nz=1\r\n") << c.what << ", written again";
  }
}

// A user adds a line in an ANSI editor to a file we wrote: each line keeps
// its own encoding when read, and the next write stores both as UTF-8.
TEST(IniWrite, ALineAddedInTheAnsiCodePageSpoilsNoOther) {
  SetAnsiCodec(Cp1252Codec());
  IniFixture f;
  IniFile(f.path).WriteString("REPERTOIRES", "0", "D:\\Песни\\");
  WriteFileAtomic(f.path, RawBytes(f.path) + "1=C:\\caf\xE9\\\r\n");
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadString("REPERTOIRES", "0", ""), "D:\\Песни\\");
  EXPECT_EQ(ini.ReadString("REPERTOIRES", "1", ""), "C:\\café\\");
  ini.WriteBool("DATA", "StartupFolderUpdate", false);
  EXPECT_EQ(RawBytes(f.path),
            "\xEF\xBB\xBF[REPERTOIRES]\r\n0=D:\\Песни\\\r\n1=C:\\café\\\r\n[DATA]\r\nStartupFolderUpdate=0\r\n");
  SetAnsiCodec({});
}

TEST(IniWrite, CjkPathInANewFile) {
  TempFolder tmp;
  const std::string folder = tmp / "\xE9\x9F\xB3\xE6\xA5\xBD";  // 音楽
  fs::create_directory(PathFromUtf8(folder));
  const std::string path = folder + "/\xE8\xA8\xAD\xE5\xAE\x9A.ini";  // 設定.ini
  IniFile(path).WriteString("DATA", "Base", "D:\\\xE9\x9F\xB3\xE6\xA5\xBD\\");
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(IniFile(path).ReadString("DATA", "Base", "?"), "D:\\\xE9\x9F\xB3\xE6\xA5\xBD\\");
}

TEST(IniWriteFailure, MissingFolderOrFileInTheWay) {
  TempFolder tmp;
  const std::string missing = tmp / "no/such/folder.ini";
  try {
    IniFile(missing).WriteBool("A", "b", true);
    FAIL() << "no error";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(e.Message().rfind("Unable to write to " + missing, 0), 0u) << e.Message();
  }
  const std::string file = tmp / "file";
  WriteFileAtomic(file, "data");
  EXPECT_THROW(IniFile(file + "/x.ini").WriteBool("A", "b", true), IniWriteError);
  EXPECT_EQ(RawBytes(file), "data");
}

TEST(IniWriteFailure, FolderWhereTheFileShouldBe) {
  TempFolder tmp;
  const std::string path = tmp / "settings.ini";
  fs::create_directory(PathFromUtf8(path));
  WriteFileAtomic(tmp / "settings.ini/keep.txt", "kept");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("A", "b", 5), 5);
  EXPECT_THROW(ini.WriteInteger("A", "b", 1), IniWriteError);
  EXPECT_THROW(ini.EraseSection("A"), IniWriteError);
  EXPECT_EQ(RawBytes(tmp / "settings.ini/keep.txt"), "kept");
}

TEST(IniWriteFailure, FileTooLargeToLoadIsNeverReplaced) {
  IniFixture f("[A]\r\nb=1\r\n");
  const auto size = kMaxTextFileBytes + 1;
  fs::resize_file(PathFromUtf8(f.path), size);  // sparse where the file system allows
  IniFile ini(f.path);
  EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
  EXPECT_THROW(ini.WriteInteger("A", "c", 1), IniWriteError);
  EXPECT_EQ(fs::file_size(PathFromUtf8(f.path)), size);
  EXPECT_EQ(RawBytes(f.path).substr(0, 10), "[A]\r\nb=1\r\n");
}

#ifdef _WIN32
TEST(IniWriteFailure, LockedFileKeepsItsContents) {
  IniFixture f("[A]\r\nb=1\r\n");
  IniFile ini(f.path);
  HANDLE h = CreateFileW(PathFromUtf8(f.path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_THROW(ini.WriteInteger("A", "b", 2), IniWriteError);
  CloseHandle(h);
  EXPECT_EQ(RawBytes(f.path), "[A]\r\nb=1\r\n");
}
#endif
