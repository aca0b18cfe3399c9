#include "tests/tags/FormatTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace sv::tags::testing {

bool FixturesAvailable() {
  const std::string stamp = FixturePath("stamp");
  return std::filesystem::exists(std::filesystem::path(std::u8string(stamp.begin(), stamp.end())));
}

std::string FixturePath(const std::string& name) { return std::string(SV_FORMAT_FIXTURES) + "/" + name; }

std::string FixtureBytes(const std::string& name) { return ReadBytes(FixturePath(name)); }

Expectations Expectations::Parse(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return Expectations(std::move(pairs));
}

Expectations Expectations::ForFixture(const std::string& name) {
  return Parse(ReadBytes(FixturePath(name + ".expect")));
}

bool Expectations::Has(const std::string& key) const {
  for (const auto& [k, v] : pairs_)
    if (k == key) return true;
  return false;
}

std::string Expectations::operator[](const std::string& key) const {
  for (const auto& [k, v] : pairs_)
    if (k == key) return v;
  return {};
}

#ifdef _WIN32
bool OraclesAvailable() { return false; }

int RunCommand(const std::string&, std::string& output) {
  output.clear();
  return -1;
}
#else
bool OraclesAvailable() { return FixturesAvailable() && !std::string(SV_FORMAT_ORACLE).empty(); }

int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
  return pclose(pipe);
}
#endif

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

Expectations OracleDump(const std::string& kind, const std::string& path) {
  std::string output;
  const int rc = RunCommand(std::string(SV_FORMAT_ORACLE) + " dump-" + kind + " " + ShellQuote(path), output);
  return rc == 0 ? Expectations::Parse(output) : Expectations({{"error", output}});
}

}  // namespace sv::tags::testing
