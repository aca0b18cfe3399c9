#pragma once
// What every tag-saving fuzz target checks besides its format's own rules: a
// refused save leaves the file as it was, and a save whose file operation
// fails part-way leaves either the old file or the new one, and no temporary
// file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Require.h"
#include "tags/FaultyFileSystem.h"
#include "tags/MemoryFileSystem.h"

namespace sv::fuzz {

// The first input byte picks the change, the second which file operation
// fails; the rest is the old file.
struct SaveInput {
  std::uint8_t choice = 0;
  std::uint8_t failAt = 0;
  std::string old;
};

inline std::optional<SaveInput> SplitSaveInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return std::nullopt;
  return SaveInput{data[0], data[1], std::string(reinterpret_cast<const char*>(data + 2), size - 2)};
}

// Runs `save` with `old` alone in `mem` as `path`. The saved file, or nothing
// when the save was refused, which must leave the file untouched.
template <typename Save>
std::optional<std::string> SaveOnce(const tags::MemoryFileSystem& mem, const char* path, const std::string& old,
                                    Save save) {
  const bool ok = save();
  REQUIRE(mem.FileCount() == 1);
  if (!ok) {
    REQUIRE(*mem.Get(path) == old);
    return std::nullopt;
  }
  return *mem.Get(path);
}

// Runs `save(tag)` again on a fresh copy of `old` whose file operation number
// `failAt` fails: the file must end as `saved` when the save reports success
// and as `old` otherwise.
template <typename Tag, typename Save>
void RequireOldOrNew(const char* path, const std::string& old, const std::string& saved, long failAt, Save save) {
  tags::MemoryFileSystem again;
  again.Put(path, old);
  tags::FaultyFileSystem faulty(again);
  Tag retry(faulty);
  faulty.FailAt(failAt);
  const bool ok = save(retry);
  REQUIRE(*again.Get(path) == (ok ? saved : old) && again.FileCount() == 1);
}

}  // namespace sv::fuzz
