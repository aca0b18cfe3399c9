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
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xE9"), "\xEF\xBF\xBD");  // declared UTF-8 is never read as ANSI
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
