#include <gtest/gtest.h>

#include "TempFolder.h"
#include "base/StringList.h"
#include "base/TextFile.h"

using namespace sv;

TEST(StringList, TextEndsEveryLineWithCrLf) {
  StringList list{"a", "", "b"};
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  EXPECT_EQ(StringList().Text(), "");
}

TEST(StringList, SplittingAtAnyBreak) {
  StringList list;
  list.SetText("one\rtwo\nthree\r\n\r\nfive");
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"one", "two", "three", "", "five"}));
  list.SetText("last\r\n");
  EXPECT_EQ(list.Items(), std::vector<std::string>{"last"});  // no empty line after a final break
  list.SetText("\n\r");
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"", ""}));  // LF then CR: two breaks
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, LookupAndSortIgnoreCase) {
  StringList list{"c:\\Music\\b.mp3", "Zeta", "alpha", "C:\\MUSIC\\A.MP3", "Alpha", "beta"};
  EXPECT_EQ(list.IndexOf("C:\\music\\B.MP3"), 0);
  EXPECT_EQ(list.IndexOf("gamma"), -1);
  list.Sort();
  // Equal ignoring case keeps the earlier item first.
  EXPECT_EQ(list.Items(),
            (std::vector<std::string>{"alpha", "Alpha", "beta", "C:\\MUSIC\\A.MP3", "c:\\Music\\b.mp3", "Zeta"}));
}

TEST(StringList, ComparerHook) {
  StringList list{"b", "B", "a"};
  list.SetCompare([](std::string_view x, std::string_view y) { return x.compare(y); });
  EXPECT_EQ(list.IndexOf("A"), -1);
  list.Sort();
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"B", "a", "b"}));
  list.SetCompare(nullptr);
  EXPECT_EQ(list.IndexOf("A"), 1);
}

TEST(StringList, OutOfRangeIndexThrows) {
  StringList list{"x"};
  EXPECT_EQ(list[0], "x");
  EXPECT_THROW(list[1], ListIndexError);
  EXPECT_THROW(list[-1], ListIndexError);
  EXPECT_THROW(list.Delete(1), ListIndexError);
  EXPECT_THROW(list.Insert(2, "y"), ListIndexError);
  list.Insert(1, "y");
  list.Insert(0, "w");
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"w", "x", "y"}));
  try {
    static_cast<void>(list[5]);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
}

TEST(StringList, NameValueLines) {
  StringList list;
  list.SetText("210 rock 1234\r\nDTITLE=Artist / Album\r\nDYEAR=1999\r\nEMPTY=\r\n");
  EXPECT_EQ(list.Value("dtitle"), "Artist / Album");
  EXPECT_EQ(list.Value("EMPTY"), "");
  EXPECT_EQ(list.Value("missing"), "");
  EXPECT_EQ(list.IndexOfName("DYEAR"), 2);
  EXPECT_EQ(list.Name(1), "DTITLE");
  EXPECT_EQ(list.Name(0), "");
  list.SetValue("dyear", "2001");
  list.SetValue("NEW", "x=y");
  list.SetValue("DTITLE", "");
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"210 rock 1234", "dyear=2001", "EMPTY=", "NEW=x=y"}));
  EXPECT_EQ(list.Value("new"), "x=y");
}

TEST(StringList, CommaTextQuotesOnlyWhatNeedsIt) {
  StringList list{"Audio files", "*.mp3;*.ogg", "say \"hi\"", "a,b", "tab\there", "", "plain"};
  EXPECT_EQ(list.CommaText(), "\"Audio files\",*.mp3;*.ogg,\"say \"\"hi\"\"\",\"a,b\",\"tab\there\",,plain");
  EXPECT_EQ(StringList{""}.CommaText(), "\"\"");
  EXPECT_EQ(StringList().CommaText(), "");
}

TEST(StringList, FilesThroughTheTextLayer) {
  TempFolder tmp;
  const std::string path = tmp / "list.m3u";
  WriteFileAtomic(path, "caf\xE9\r\nsecond\nthird");  // ANSI, mixed breaks
  StringList list;
  list.LoadFromFile(path);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"caf\xC3\xA9", "second", "third"}));
  list.Add("\xE9\x9F\xB3");
  list.SaveToFile(path);
  EXPECT_EQ(RawBytes(path), "\xEF\xBB\xBF" "caf\xC3\xA9\r\nsecond\r\nthird\r\n\xE9\x9F\xB3\r\n");
  EXPECT_THROW(list.LoadFromFile(tmp / "none.m3u"), FileReadError);
  EXPECT_EQ(list.Count(), 4);  // a failed load leaves the list alone
}
