// Runs every file of the ID3 fuzz targets' corpora through the targets, so
// inputs that once broke an invariant stay checked in every build.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The targets' entry points, renamed by the build so that all link here.
extern "C" int FuzzId3v1(const uint8_t* data, size_t size);
extern "C" int FuzzId3v2Read(const uint8_t* data, size_t size);
extern "C" int FuzzId3v2Write(const uint8_t* data, size_t size);

namespace {

int ReplayCorpus(const std::string& name, int (*target)(const uint8_t*, size_t)) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(SV_CORPUS_DIR) / name)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().string());
    target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++count;
  }
  return count;
}

}  // namespace

TEST(TagsFuzzReplay, Id3v1Corpus) { EXPECT_GT(ReplayCorpus("id3v1", FuzzId3v1), 0); }
TEST(TagsFuzzReplay, Id3v2ReadCorpus) { EXPECT_GT(ReplayCorpus("id3v2_read", FuzzId3v2Read), 0); }
TEST(TagsFuzzReplay, Id3v2WriteCorpus) { EXPECT_GT(ReplayCorpus("id3v2_write", FuzzId3v2Write), 0); }
