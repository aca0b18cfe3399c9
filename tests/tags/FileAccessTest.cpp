// The write protocols every tag writer relies on, proven with a failure
// injected at each step, on the in-memory file system (which keeps the
// Windows sharing and read-only rules) and on the real one.
#include <gtest/gtest.h>

#include "TagTestSupport.h"
#include "base/Ascii.h"
#include "tags/FaultyFileSystem.h"
#include "tags/MemoryFileSystem.h"
#include "tags/SafeRewrite.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

const std::string kOld = "ID3-old-tag|audio bytes that must survive";
const std::string kNew = "ID3-a-longer-new-tag|audio bytes that must survive";

RebuildProducer WriteAll(const std::string& bytes) {
  return [bytes](RandomAccessFile&, std::uint64_t, RandomAccessFile& target) {
    return target.WriteAt(0, bytes.data(), bytes.size()) ? TagStatus::Ok : TagStatus::IoError;
  };
}

InPlacePlanner ReplaceTail(std::size_t keep, std::string tail) {
  return [keep, tail](RandomAccessFile&, std::uint64_t size, InPlaceEdit& edit) {
    edit.offset = keep;
    edit.length = size - keep;
    edit.bytes = tail;
    return TagStatus::Ok;
  };
}

TEST(SafeRewrite, RebuildReplacesTheFileAndLeavesNoTemporary) {
  MemoryFileSystem mem;
  mem.Put("a.mp3", kOld);
  EXPECT_EQ(RebuildFile(mem, "a.mp3", WriteAll(kNew)), TagStatus::Ok);
  EXPECT_EQ(*mem.Get("a.mp3"), kNew);
  EXPECT_EQ(mem.FileCount(), 1u);
}

TEST(SafeRewrite, RebuildNeverTouchesSomeoneElsesTildeFile) {
  MemoryFileSystem mem;
  mem.Put("a.mp3", kOld);
  mem.Put("a.mp3~", "theirs");
  EXPECT_EQ(RebuildFile(mem, "a.mp3", WriteAll(kNew)), TagStatus::Ok);
  EXPECT_EQ(*mem.Get("a.mp3"), kNew);
  EXPECT_EQ(*mem.Get("a.mp3~"), "theirs");
  EXPECT_EQ(mem.FileCount(), 2u);
}

TEST(SafeRewrite, ProducerFailureLeavesTheFileUntouched) {
  MemoryFileSystem mem;
  mem.Put("a.mp3", kOld);
  auto refuse = [](RandomAccessFile&, std::uint64_t, RandomAccessFile& t) {
    t.WriteAt(0, "partial", 7);
    return TagStatus::Malformed;
  };
  EXPECT_EQ(RebuildFile(mem, "a.mp3", refuse), TagStatus::Malformed);
  EXPECT_EQ(*mem.Get("a.mp3"), kOld);
  EXPECT_EQ(mem.FileCount(), 1u);
}

TEST(SafeRewrite, RebuildFailsSafelyWhileTheFileIsOpenElsewhere) {
  MemoryFileSystem mem;
  mem.Put("a.mp3", kOld);
  auto player = mem.OpenRead("a.mp3", ReadSharing::DenyWrite);
  EXPECT_EQ(RebuildFile(mem, "a.mp3", WriteAll(kNew)), TagStatus::IoError);
  EXPECT_EQ(*mem.Get("a.mp3"), kOld);
  EXPECT_EQ(mem.FileCount(), 1u);
}

TEST(SafeRewrite, ReadOnlyFileIsWrittenAndStaysReadOnly) {
  for (const bool rebuild : {true, false}) {
    MemoryFileSystem mem;
    mem.Put("a.mp3", kOld);
    ASSERT_TRUE(mem.SetAttributes("a.mp3", kAttributeReadOnly | kAttributeHidden));
    const TagStatus s = rebuild ? RebuildFile(mem, "a.mp3", WriteAll(kNew))
                                : RewriteInPlace(mem, "a.mp3", ReplaceTail(3, "-tail"));
    EXPECT_EQ(s, TagStatus::Ok);
    std::uint32_t attributes = 0;
    ASSERT_TRUE(mem.GetAttributes("a.mp3", attributes));
    EXPECT_EQ(attributes, kAttributeReadOnly | kAttributeHidden);
  }
}

// Every call of the operation fails once in turn, or from that call on: the file is always the old bytes or the complete new ones,
// and no temporary file is left.
// Only the rebuild can promise that much against a disk that keeps failing:
// an in-place rewrite needs the disk to put the old bytes back.
template <typename Operation>
void EveryFailure(const std::string& expected, bool dyingDisk, Operation operation) {
  for (const bool persistent : {false, true}) {
    if (persistent && !dyingDisk) continue;
    MemoryFileSystem probe;
    probe.Put("a.mp3", kOld);
    ASSERT_TRUE(probe.SetAttributes("a.mp3", kAttributeReadOnly));
    FaultyFileSystem counting(probe);
    ASSERT_EQ(operation(counting), TagStatus::Ok);
    ASSERT_EQ(*probe.Get("a.mp3"), expected);
    const long calls = counting.Calls();
    for (long n = 1; n <= calls; ++n) {
      MemoryFileSystem mem;
      mem.Put("a.mp3", kOld);
      ASSERT_TRUE(mem.SetAttributes("a.mp3", kAttributeReadOnly));
      FaultyFileSystem faulty(mem);
      faulty.FailAt(n, persistent);
      const TagStatus s = operation(faulty);
      SCOPED_TRACE("failing call " + std::to_string(n) + (persistent ? " onwards" : ""));
      const std::string& now = *mem.Get("a.mp3");
      if (s == TagStatus::Ok) {
        EXPECT_EQ(now, expected);
      } else if (!persistent) {
        EXPECT_EQ(now, kOld);
      } else {
        EXPECT_TRUE(now == kOld || now == expected);
      }
      // A disk that refuses everything keeps the temporary file too.
      if (!persistent) {
        EXPECT_EQ(mem.FileCount(), 1u);
        std::uint32_t attributes = 0;
        EXPECT_TRUE(mem.GetAttributes("a.mp3", attributes));
        EXPECT_EQ(attributes, kAttributeReadOnly);
      }
    }
  }
}

TEST(SafeRewrite, RebuildSurvivesAFailureAtEveryStep) {
  EveryFailure(kNew, true, [](FileSystem& fs) { return RebuildFile(fs, "a.mp3", WriteAll(kNew)); });
}

TEST(SafeRewrite, GrowingTailSurvivesAFailureAtEveryStep) {
  const std::string tail = "-a-much-longer-tail-than-before-" + std::string(100, 'x');
  EveryFailure(kOld.substr(0, 10) + tail, false,
               [&](FileSystem& fs) { return RewriteInPlace(fs, "a.mp3", ReplaceTail(10, tail)); });
}

TEST(SafeRewrite, ShrinkingTailSurvivesAFailureAtEveryStep) {
  EveryFailure(kOld.substr(0, 20) + "!", false,
               [](FileSystem& fs) { return RewriteInPlace(fs, "a.mp3", ReplaceTail(20, "!")); });
}

TEST(SafeRewrite, PatchOfEqualSizeSurvivesAFailureAtEveryStep) {
  std::string expected = kOld;
  expected.replace(0, 11, "ID3-NEW-TAG");
  EveryFailure(expected, false, [](FileSystem& fs) {
    return RewriteInPlace(fs, "a.mp3", [](RandomAccessFile&, std::uint64_t, InPlaceEdit& e) {
      e.offset = 0;
      e.length = 11;
      e.bytes = "ID3-NEW-TAG";
      return TagStatus::Ok;
    });
  });
}

TEST(SafeRewrite, PlannerAskingForAnUnsafeEditIsRefused) {
  MemoryFileSystem mem;
  mem.Put("a.mp3", kOld);
  const TagStatus s = RewriteInPlace(mem, "a.mp3", [](RandomAccessFile&, std::uint64_t, InPlaceEdit& e) {
    e.offset = 0;
    e.length = 3;
    e.bytes = "longer than three";  // would overwrite what follows
    return TagStatus::Ok;
  });
  EXPECT_EQ(s, TagStatus::Malformed);
  EXPECT_EQ(*mem.Get("a.mp3"), kOld);
}

TEST(NativeFiles, RebuildAndTailRewriteWithAWideName) {
  test::ScratchDir dir;
  const std::string path = dir.Path("Кино 東京 😀 é.mp3");
  test::WriteBytes(path, kOld);
  test::WriteBytes(path + "~", "theirs");
  FileSystem& fs = NativeFileSystem();
  EXPECT_EQ(RebuildFile(fs, path, WriteAll(kNew)), TagStatus::Ok);
  EXPECT_EQ(test::ReadBytes(path), kNew);
  EXPECT_EQ(test::ReadBytes(path + "~"), "theirs");
  EXPECT_EQ(RewriteInPlace(fs, path, ReplaceTail(4, "tail")), TagStatus::Ok);
  EXPECT_EQ(test::ReadBytes(path), kNew.substr(0, 4) + "tail");
  EXPECT_EQ(dir.Files().size(), 2u);
}

TEST(NativeFiles, CreateNewNeverOpensAnExistingFile) {
  test::ScratchDir dir;
  test::WriteBytes(dir.Path("x"), "keep");
  EXPECT_EQ(NativeFileSystem().CreateNew(dir.Path("x")), nullptr);
  EXPECT_EQ(test::ReadBytes(dir.Path("x")), "keep");
}

#ifdef _WIN32
TEST(NativeFiles, ReadOnlyFileIsWrittenAndStaysReadOnly) {
  test::ScratchDir dir;
  const std::string path = dir.Path("ro.mp3");
  test::WriteBytes(path, kOld);
  FileSystem& fs = NativeFileSystem();
  ASSERT_TRUE(fs.SetAttributes(path, kAttributeReadOnly | kAttributeArchive));
  EXPECT_EQ(RebuildFile(fs, path, WriteAll(kNew)), TagStatus::Ok);
  EXPECT_EQ(RewriteInPlace(fs, path, ReplaceTail(4, "tail")), TagStatus::Ok);
  EXPECT_EQ(test::ReadBytes(path), kNew.substr(0, 4) + "tail");
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs.GetAttributes(path, attributes));
  EXPECT_TRUE(attributes & kAttributeReadOnly);
}

TEST(NativeFiles, ReplaceBlockedByAnOpenFileFailsSafely) {
  test::ScratchDir dir;
  const std::string path = dir.Path("held.mp3");
  test::WriteBytes(path, kOld);
  FileSystem& fs = NativeFileSystem();
  auto player = fs.OpenRead(path, ReadSharing::DenyWrite);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(RebuildFile(fs, path, WriteAll(kNew)), TagStatus::IoError);
  EXPECT_EQ(RewriteInPlace(fs, path, ReplaceTail(4, "tail")), TagStatus::OpenFailed);
  player.reset();
  EXPECT_EQ(test::ReadBytes(path), kOld);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"held.mp3"});
}
#endif

TEST(TextRules, NumbersAreStrictDecimal) {
  EXPECT_EQ(ParseDecimal(" 42 "), 42u);
  EXPECT_EQ(ParseDecimal("$1F"), 0u);
  EXPECT_EQ(ParseDecimal("-1"), 0u);
  EXPECT_EQ(ParseDecimal("+1"), 0u);
  EXPECT_EQ(ParseDecimal("1 2"), 0u);
  EXPECT_EQ(ParseDecimal("65536", 65535), 0u);
  EXPECT_EQ(ParseDecimal("99999999999999999999"), 0u);
  std::uint32_t v = 0;
  EXPECT_TRUE(ParseFixedDigits("000123", v));
  EXPECT_EQ(v, 123u);
  EXPECT_FALSE(ParseFixedDigits(" 00012", v));
  EXPECT_FALSE(ParseFixedDigits("", v));
  EXPECT_EQ(FixedDigits(168, 6), "000168");
}

TEST(TextRules, TrimmingAndCharacters) {
  EXPECT_EQ(Trim(std::string("\0\t x y \r\n\0", 10)), "x y");
  EXPECT_EQ(Utf8Length("é東😀a"), 4u);
  EXPECT_EQ(Utf8PrefixChars("é東😀a", 2), "é東");
  EXPECT_TRUE(SameTextAscii("ROCK", "rock"));
  EXPECT_FALSE(SameTextAscii("É", "é"));
}

}  // namespace
}  // namespace sv::tags
