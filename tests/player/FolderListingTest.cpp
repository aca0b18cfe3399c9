// The folder's JPEG names from the system's file search, in a real folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/TextFile.h"
#include "player/CoverPicture.h"
#include "player/platform/FolderListing.h"

namespace {

class FolderListingTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / "sv-cover-listing";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "inner.jpg");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Folder() const { return sv::PathToUtf8(folder_); }
  void Touch(const std::string& name) const { sv::WriteFileAtomic(Folder() + "\\" + name, "x"); }

  std::filesystem::path folder_;
};

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST_F(FolderListingTest, ListsJpgFilesOnlyWithUnicodeNames) {
  const std::string unicodeFront = "Zo\xC3\xA9 \xE2\x99\xAB Front.JPG";
  Touch(unicodeFront);
  Touch("back.jpg");
  Touch("notes.txt");
  Touch("scan.jpeg");

  const std::vector<std::string> names = player::ListJpegNames(Folder());
  EXPECT_EQ(names.size(), 2u);
  EXPECT_TRUE(Has(names, unicodeFront));
  EXPECT_TRUE(Has(names, "back.jpg"));
  EXPECT_FALSE(Has(names, "inner.jpg"));
  EXPECT_EQ(player::FindFolderCover(names), unicodeFront);

  // A trailing separator makes no difference.
  EXPECT_EQ(player::ListJpegNames(Folder() + "\\").size(), 2u);

  Touch("Folder.jpg");
  EXPECT_EQ(player::FindFolderCover(player::ListJpegNames(Folder())), "Folder.jpg");
}

TEST_F(FolderListingTest, EmptyOrMissingFolderGivesNothing) {
  EXPECT_TRUE(player::ListJpegNames(Folder()).empty());
  EXPECT_TRUE(player::ListJpegNames(Folder() + "\\missing").empty());
  EXPECT_TRUE(player::ListJpegNames("").empty());
}
