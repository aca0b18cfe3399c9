#pragma once
// Shared by the MPEG, Ogg Vorbis, APE and WMA tests: the fixtures made at
// build time by format_fixtures.py with independent tools, what mutagen read
// from them, and (natively) the tools themselves as oracles for our writes.
// Scratch folders and whole-file helpers come from TagTestSupport.h.
#include <string>
#include <utility>
#include <vector>

#include "tests/tags/TagTestSupport.h"

namespace sv::tags::testing {

using test::CleanSave;
using test::ExpectOldOrNewAfterEachFailure;
using test::FailedSave;
using test::ForEachFailure;
using test::ReadBytes;
using test::SaveUnderTest;
using test::SaveWithoutFailure;
using test::ScratchDir;
using test::WriteBytes;

// False (and the test skips) when the build could not make the fixtures.
bool FixturesAvailable();
std::string FixturePath(const std::string& name);
std::string FixtureBytes(const std::string& name);

// "key=value" lines, as the fixture script and the oracle print them.
class Expectations {
 public:
  Expectations() = default;
  explicit Expectations(std::vector<std::pair<std::string, std::string>> pairs) : pairs_(std::move(pairs)) {}
  static Expectations Parse(const std::string& text);
  static Expectations ForFixture(const std::string& name);

  bool Has(const std::string& key) const;
  // The first value of `key`, "" when absent.
  std::string operator[](const std::string& key) const;
  const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs_; }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// The oracles run only natively, not under Wine.
bool OraclesAvailable();
// What mutagen reads from `path` ("mp3", "ogg", "ape" or "asf").
Expectations OracleDump(const std::string& kind, const std::string& path);
// Runs a shell command; its exit status, with stdout and stderr in `output`.
int RunCommand(const std::string& command, std::string& output);
std::string ShellQuote(const std::string& text);

}  // namespace sv::tags::testing
