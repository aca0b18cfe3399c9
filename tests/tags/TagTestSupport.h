#pragma once
// Shared by the tag tests: the fixture folders, scratch folders on the real
// file system, and the mutagen oracle (native builds only).
#include <map>
#include <string>
#include <vector>

namespace sv::tags::test {

// A file made at build time by make_id3_fixtures.sh.
std::string Fixture(const std::string& name);
// The committed malformed inputs whose names start with `prefix`.
std::vector<std::string> MalformedInputs(const std::string& prefix);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const;
  // Copies a fixture in under `name` and gives its path.
  std::string CopyFixture(const std::string& fixture, const std::string& name) const;
  // Names of the files in the folder.
  std::vector<std::string> Files() const;

 private:
  std::string dir_;
};

// Runs id3_builder.py `command` on `path` and gives its KEY<TAB>VALUE lines.
// Only where Python and mutagen run (not under Wine): check OracleAvailable.
bool OracleAvailable();
std::multimap<std::string, std::string> Oracle(const std::string& command, const std::string& path);
// The single value of `key`, or "<missing>".
std::string OracleValue(const std::multimap<std::string, std::string>& lines, const std::string& key);

}  // namespace sv::tags::test
