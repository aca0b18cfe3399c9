// Runs every file of each fuzz target's corpus through the target, so inputs
// that once broke an invariant stay checked in every build, natively and
// under Wine. The build (sv_add_fuzz_replay) lists the targets in
// SV_REPLAY_TARGETS as SV_REPLAY(<target>) and renames each entry point to
// SvFuzz_<target> so that all link into one executable.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#define SV_REPLAY(target) extern "C" int SvFuzz_##target(const uint8_t* data, size_t size);
SV_REPLAY_TARGETS
#undef SV_REPLAY

namespace {

struct FuzzTarget {
  const char* corpus;
  int (*entry)(const uint8_t*, size_t);
};

constexpr FuzzTarget kTargets[] = {
#define SV_REPLAY(target) {#target, SvFuzz_##target},
    SV_REPLAY_TARGETS
#undef SV_REPLAY
};

class CorpusReplay : public testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusReplay, EveryFileRuns) {
  const FuzzTarget& target = GetParam();
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(SV_CORPUS_DIR) / target.corpus)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().string());
    target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++count;
  }
  EXPECT_GT(count, 0);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.corpus); });

}  // namespace
