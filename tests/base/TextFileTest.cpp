#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "base/AnsiCodec.h"
#include "base/TextFile.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace sv;
namespace fs = std::filesystem;

namespace {

int EntryCount(const fs::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

// A stand-in code page: each byte above ASCII as "{XX}".
std::string ShowHighBytes(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else
      out += {'{', digits[b >> 4], digits[b & 15], '}'};
  }
  return out;
}

}  // namespace

TEST(TextDecoding, EachEncodingByItsMark) {
  TextEncoding found;
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "caf\xC3\xA9", &found), "caf\xC3\xA9");
  EXPECT_EQ(found, TextEncoding::Utf8Bom);
  EXPECT_EQ(DecodeText(std::string("\xFF\xFE" "A\0\xE9\0", 6), &found), "A\xC3\xA9");
  EXPECT_EQ(found, TextEncoding::Utf16LE);
  EXPECT_EQ(DecodeText(std::string("\xFE\xFF\0A\x97\xF3", 6), &found), "A\xE9\x9F\xB3");
  EXPECT_EQ(found, TextEncoding::Utf16BE);
  EXPECT_EQ(DecodeText("caf\xC3\xA9", &found), "caf\xC3\xA9");  // valid UTF-8 stays UTF-8
  EXPECT_EQ(found, TextEncoding::Utf8);
  EXPECT_EQ(DecodeText("caf\xE9 \x80", &found), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(found, TextEncoding::Ansi);
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xE9"), "\xC3\xA9");  // a line that is no UTF-8 is ANSI, BOM or not
  EXPECT_EQ(DecodeText(""), "");
}

TEST(TextDecoding, AnsiBytesAreReadInTheInstalledCodePage) {
  // A stand-in code page that marks what went through it.
  SetAnsiCodec(AnsiCodec{[](std::string_view bytes) { return "<" + std::string(bytes.size(), 'x') + ">"; },
                         [](std::string_view utf8, bool*) { return std::string(utf8); }});
  TextEncoding found;
  EXPECT_EQ(DecodeText("\xEF\xE5", &found), "<xx>");
  EXPECT_EQ(found, TextEncoding::Ansi);
  EXPECT_EQ(DecodeText("caf\xC3\xA9"), "caf\xC3\xA9");  // UTF-8 never goes through it
  SetAnsiCodec({});
  EXPECT_EQ(DecodeText("caf\xE9"), "caf\xC3\xA9");
}

// Behind the BOM a line is UTF-8 when it is valid UTF-8 and ANSI otherwise;
// without the BOM one invalid line makes the whole file ANSI, as before.
TEST(TextDecoding, BehindABomEachLineIsUtf8OrAnsi) {
  // A stand-in code page that shows each byte that went through it.
  SetAnsiCodec(AnsiCodec{ShowHighBytes, [](std::string_view utf8, bool*) { return std::string(utf8); }});
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      // The settings of a user who added one line in an ANSI editor.
      {bom + "[REPERTOIRES]\r\n0=D:\\Песни\r\n1=C:\\caf\xE9\r\n", "[REPERTOIRES]\r\n0=D:\\Песни\r\n1=C:\\caf{E9}\r\n"},
      // Every kind of line break ends a line; empty lines stay.
      {bom + "\xC3\xA9\n\xE9\r\xC3\xA9\r\n\r\n\x80", "é\n{E9}\ré\r\n\r\n{80}"},
      // A sequence cut at the end of the file.
      {bom + "ok\r\nx\xC3", "ok\r\nx{C3}"},
      // A second mark is text of the first line.
      {bom + bom + "a\r\n", bom + "a\r\n"},
      {bom, ""},
      // Without the mark: a cp1251 list whose first name happens to be valid
      // UTF-8 ("\xD1\x80") is still read in the code page as a whole.
      {"\xD1\x80\r\n\xEF\xE5\xF1\r\n", "{D1}{80}\r\n{EF}{E5}{F1}\r\n"},
      {"0=D:\\Песни\r\n", "0=D:\\Песни\r\n"},
  };
  for (const Case& c : cases) {
    TextEncoding found;
    EXPECT_EQ(DecodeText(c.bytes, &found), c.text) << c.bytes;
    EXPECT_EQ(found == TextEncoding::Utf8Bom, c.bytes.starts_with(bom)) << c.bytes;
  }
  SetAnsiCodec({});
}

// What our writers put on the disk for a UTF-8 text: the BOM once the text
// goes beyond ASCII or the file had one, never two.
TEST(TextWriting, FileBytesCarryTheBomOnceBeyondAscii) {
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    std::string text;
    bool keepBom;
    std::string bytes;
  };
  const Case cases[] = {
      {"", false, ""},
      {"[D]\r\nA=1\r\n", false, "[D]\r\nA=1\r\n"},
      {"[D]\r\nA=1\r\n", true, bom + "[D]\r\nA=1\r\n"},
      {"N=caf\xC3\xA9", false, bom + "N=caf\xC3\xA9"},
      {"N=caf\xC3\xA9", true, bom + "N=caf\xC3\xA9"},
      // Text that begins with U+FEFF keeps it: the file's own mark comes
      // before it, as a reader takes off only one.
      {bom + "x", false, bom + bom + "x"},
      {bom + "\xC3\xA9", true, bom + bom + "\xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8FileBytes(c.text, c.keepBom), c.bytes) << c.text << " " << c.keepBom;
  TempFolder tmp;
  const std::string file = tmp / "list.txt";
  WriteTextFile(file, "caf\xC3\xA9\r\n");
  EXPECT_EQ(RawBytes(file), bom + "caf\xC3\xA9\r\n");
  WriteTextFile(file, "plain\r\n");
  EXPECT_EQ(RawBytes(file), "plain\r\n");
}

TEST(TextFiles, CjkPathRoundTrip) {
  TempFolder tmp;
  const std::string folder = tmp / "\xE9\x9F\xB3\xE6\xA5\xBD \xC3\xA9t\xC3\xA9";  // 音楽 été
  fs::create_directory(PathFromUtf8(folder));
  const std::string file = folder + "/\xE8\xA8\xAD\xE5\xAE\x9A.txt";  // 設定.txt
  WriteTextFile(file, "\xE9\x9F\xB3\r\n");
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(ReadTextFile(file), "\xE9\x9F\xB3\r\n");
  const auto entry = *fs::directory_iterator(PathFromUtf8(folder));
  EXPECT_EQ(PathToUtf8(entry.path().filename()), "\xE8\xA8\xAD\xE5\xAE\x9A.txt");
}

TEST(TextFiles, ReplaceOverAnExistingFileLeavesNoTemporaryBehind) {
  TempFolder tmp;
  const std::string file = tmp / "list.txt";
  WriteFileAtomic(file, "old contents that are longer");
  WriteFileAtomic(file, "new");
  EXPECT_EQ(RawBytes(file), "new");
  WriteFileAtomic(file, "");
  EXPECT_EQ(RawBytes(file), "");
  EXPECT_EQ(EntryCount(tmp.path()), 1);
}

TEST(TextFiles, WriteFailuresAreReportedAndKeepWhatWasThere) {
  TempFolder tmp;
  EXPECT_THROW(WriteFileAtomic(tmp / "missing/folder/x.txt", "data"), FileWriteError);
  EXPECT_FALSE(fs::exists(tmp.path() / "missing"));

  // A folder where the file should be, with something inside it.
  const std::string folder = tmp / "target.txt";
  fs::create_directory(PathFromUtf8(folder));
  WriteFileAtomic(tmp / "target.txt/inner.txt", "kept");
  EXPECT_THROW(WriteFileAtomic(folder, "data"), FileWriteError);
  EXPECT_EQ(RawBytes(tmp / "target.txt/inner.txt"), "kept");

  // A file where the folder should be.
  const std::string plain = tmp / "plain";
  WriteFileAtomic(plain, "unchanged");
  EXPECT_THROW(WriteFileAtomic(plain + "/x.txt", "data"), FileWriteError);
  EXPECT_EQ(RawBytes(plain), "unchanged");
  EXPECT_EQ(EntryCount(tmp.path()), 2);  // no temporary file left anywhere
  EXPECT_EQ(EntryCount(PathFromUtf8(folder)), 1);
}

TEST(TextFiles, ReadFailuresAndTheSizeCap) {
  TempFolder tmp;
  EXPECT_THROW(ReadTextFile(tmp / "none.txt"), FileReadError);
  EXPECT_THROW(ReadTextFile(PathToUtf8(tmp.path())), FileReadError);
  EXPECT_FALSE(FileExists(PathToUtf8(tmp.path())));
  const std::string file = tmp / "big.txt";
  WriteFileAtomic(file, std::string(1001, 'x'));
  EXPECT_EQ(ReadFileBytes(file, 1001).size(), 1001u);
  EXPECT_THROW(ReadFileBytes(file, 1000), FileReadError);
}

#ifdef _WIN32
// A target another program holds open without sharing cannot be replaced:
// the write must fail and leave both the old file and no temporary behind.
TEST(TextFiles, LockedTargetIsReportedAndKept) {
  TempFolder tmp;
  const std::string file = tmp / "locked.txt";
  WriteFileAtomic(file, "old");
  HANDLE h = CreateFileW(PathFromUtf8(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_THROW(WriteFileAtomic(file, "new"), FileWriteError);
  CloseHandle(h);
  EXPECT_EQ(RawBytes(file), "old");
  EXPECT_EQ(EntryCount(tmp.path()), 1);
}
#endif
