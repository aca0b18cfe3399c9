// Runs every file of each fuzz target's corpus through the target, so inputs
// that once crashed stay checked in every build.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The targets' entry points, renamed by the build so that both link here.
extern "C" int FuzzTextfile(const uint8_t* data, size_t size);
extern "C" int FuzzIni(const uint8_t* data, size_t size);

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

TEST(FuzzReplay, TextFileCorpus) { EXPECT_GT(ReplayCorpus("textfile", FuzzTextfile), 0); }

TEST(FuzzReplay, IniCorpus) { EXPECT_GT(ReplayCorpus("ini", FuzzIni), 0); }
