#include "TagTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Utf.h"

#include "tags/AnsiCodec.h"
#include "tags/FaultyFileSystem.h"
#include "tags/MemoryFileSystem.h"

namespace sv::tags::test {
namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

std::string ToUtf8(const fs::path& p) {
  const std::u8string s = p.generic_u8string();
  return std::string(s.begin(), s.end());
}

// The tag tests expect "ANSI" text in Windows-1252 whatever the system's
// code page; a test that needs another one installs it for its own run.
class Cp1252Environment final : public ::testing::Environment {
 public:
  void SetUp() override { SetAnsiCodec(Cp1252Codec()); }
};
const auto* const kCp1252Environment = ::testing::AddGlobalTestEnvironment(new Cp1252Environment);

}  // namespace

AnsiCodePage::AnsiCodePage(AnsiCodec codec) { SetAnsiCodec(std::move(codec)); }
AnsiCodePage::~AnsiCodePage() { SetAnsiCodec(Cp1252Codec()); }

AnsiCodec Cp1251LettersCodec() {
  // Windows-1251 for ASCII and the letters А-я (0xC0-0xFF), enough for
  // tests; anything else is '?'.
  return AnsiCodec{[](std::string_view bytes) {
                     std::u16string units;
                     for (const char c : bytes) {
                       const auto b = static_cast<unsigned char>(c);
                       units += b < 0x80 ? char16_t(b) : b >= 0xC0 ? char16_t(0x0410 + b - 0xC0) : u'?';
                     }
                     return Utf16ToUtf8(units);
                   },
                   [](std::string_view utf8, bool* lossless) {
                     if (lossless) *lossless = true;
                     std::string bytes;
                     for (const char16_t u : Utf8ToUtf16(utf8)) {
                       const bool letter = u >= 0x0410 && u <= 0x044F;
                       if (u >= 0x80 && !letter && lossless) *lossless = false;
                       bytes += u < 0x80 ? static_cast<char>(u) : letter ? static_cast<char>(0xC0 + u - 0x0410) : '?';
                     }
                     return bytes;
                   }};
}

std::string Fixture(const std::string& name) { return std::string(SV_ID3_FIXTURES) + "/" + name; }

std::vector<std::string> MalformedInputs(const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(FromUtf8(SV_ID3_MALFORMED))) {
    const std::string name = ToUtf8(e.path().filename());
    if (name.rfind(prefix, 0) == 0) out.push_back(ToUtf8(e.path()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(FromUtf8(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(FromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path dir = fs::temp_directory_path() /
                       ("sv-tags-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  dir_ = ToUtf8(dir);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Read-only files must become writable before they can go.
  for (const auto& e : fs::directory_iterator(FromUtf8(dir_), ec))
    fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove_all(FromUtf8(dir_), ec);
}

std::string ScratchDir::Path(const std::string& name) const { return dir_ + "/" + name; }

std::string ScratchDir::CopyFixture(const std::string& fixture, const std::string& name) const {
  const std::string path = Path(name);
  WriteBytes(path, ReadBytes(Fixture(fixture)));
  return path;
}

std::vector<std::string> ScratchDir::Files() const {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(FromUtf8(dir_))) out.push_back(ToUtf8(e.path().filename()));
  std::sort(out.begin(), out.end());
  return out;
}

bool OracleAvailable() {
#ifdef _WIN32
  return false;
#else
  return true;
#endif
}

std::multimap<std::string, std::string> Oracle(const std::string& command, const std::string& path) {
  std::multimap<std::string, std::string> lines;
#ifndef _WIN32
  const std::string cmd = std::string(SV_PYTHON) + " '" + SV_ID3_BUILDER + "' " + command + " '" + path + "'";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return lines;
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0) << cmd;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string value;
    for (std::size_t i = tab + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        const char c = line[++i];
        value += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
      } else {
        value += line[i];
      }
    }
    lines.emplace(line.substr(0, tab), value);
  }
#endif
  return lines;
}

std::string OracleValue(const std::multimap<std::string, std::string>& lines, const std::string& key) {
  if (lines.count(key) != 1) return "<missing>";
  return lines.find(key)->second;
}

CleanSave SaveWithoutFailure(const std::string& name, const std::string& old, const SaveUnderTest& save) {
  MemoryFileSystem memory;
  memory.Put(name, old);
  FaultyFileSystem counting(memory);
  CleanSave clean;
  if (!save(counting, [&] { counting.FailAt(0); })) {
    ADD_FAILURE() << "the save fails with no failure injected";
    return clean;
  }
  clean.calls = counting.Calls();
  clean.bytes = *memory.Get(name);
  return clean;
}

void ForEachFailure(const std::string& name, const std::string& old, const SaveUnderTest& save, long calls,
                    bool persistent, const std::function<void(const FailedSave&)>& check) {
  for (long n = 1; n <= calls; ++n) {
    SCOPED_TRACE("failing call " + std::to_string(n) + (persistent ? " onwards" : ""));
    MemoryFileSystem memory;
    memory.Put(name, old);
    FaultyFileSystem faulty(memory);
    const bool reported = save(faulty, [&] { faulty.FailAt(n, persistent); });
    check({reported, *memory.Get(name), memory.FileCount()});
  }
}

void ExpectOldOrNewAfterEachFailure(const std::string& name, const std::string& old, const SaveUnderTest& save) {
  const CleanSave clean = SaveWithoutFailure(name, old, save);
  ForEachFailure(name, old, save, clean.calls, false, [&](const FailedSave& run) {
    EXPECT_TRUE(run.now == (run.reported ? clean.bytes : old));
    EXPECT_EQ(run.fileCount, 1u);
  });
}

}  // namespace sv::tags::test
