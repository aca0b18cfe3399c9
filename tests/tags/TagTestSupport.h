#pragma once
// Shared by the tag tests: the fixture folders, scratch folders on the real
// file system, the mutagen oracle (native builds only), and saves run with
// each file operation failing in turn.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tags/AnsiCodec.h"
#include "tags/FileAccess.h"

namespace sv::tags::test {

// Every tag test runs with Windows-1252 as the ANSI code page; this puts
// another one in place for one scope.
class AnsiCodePage {
 public:
  explicit AnsiCodePage(AnsiCodec codec);
  ~AnsiCodePage();
  AnsiCodePage(const AnsiCodePage&) = delete;
  AnsiCodePage& operator=(const AnsiCodePage&) = delete;
};
// Windows-1251 as far as ASCII and the Cyrillic letters А-я go.
AnsiCodec Cp1251LettersCodec();

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

// A save under test: it works on `fs` and reports success. Failures are
// injected only from its call to `failFromHere` on, so that the steps before
// (reading the tag, say) do not fail.
using SaveUnderTest = std::function<bool(FileSystem& fs, const std::function<void()>& failFromHere)>;

// What the save wrote with no failure, and how many file operations it made.
struct CleanSave {
  std::string bytes;
  long calls = 0;
};
// Runs `save` on `old`, held in memory as `name`; the save must work.
CleanSave SaveWithoutFailure(const std::string& name, const std::string& old, const SaveUnderTest& save);

// What one save with an injected failure left.
struct FailedSave {
  bool reported;           // what the save returned
  const std::string& now;  // the file's bytes
  std::size_t fileCount;
};
// Runs `save` on `old` again for each n from 1 to `calls`, with the n-th file
// operation failing (and, when `persistent`, every later one too, as a dying
// disk does), and hands each result to `check`.
void ForEachFailure(const std::string& name, const std::string& old, const SaveUnderTest& save, long calls,
                    bool persistent, const std::function<void(const FailedSave&)>& check);

// Whatever step of the save fails, the file is left as the old bytes when the
// save reports failure and as the new ones when it reports success, and no
// temporary file stays.
void ExpectOldOrNewAfterEachFailure(const std::string& name, const std::string& old, const SaveUnderTest& save);

}  // namespace sv::tags::test
