#pragma once
// Outcome of a tag operation. The library never throws across its API: each
// reader and writer returns one of these, and a Boolean view where callers
// only need "did it work".

namespace sv::tags {

enum class TagStatus {
  Ok,           // done (a reader found and decoded its tag)
  NoTag,        // a reader found no tag; not an error
  OpenFailed,   // the file could not be opened
  IoError,      // a read, write, flush or replace failed; the file is unchanged
  Malformed,    // the stored structure is unsafe to rewrite; nothing was written
  Unsupported,  // a version or feature this library does not write
};

// Readers treat "no tag" as success: the file was read fine.
constexpr bool Succeeded(TagStatus s) { return s == TagStatus::Ok || s == TagStatus::NoTag; }

}  // namespace sv::tags
