#pragma once
// The two system steps of an atomic file write, one implementation per
// platform: a new file flushed to the disk, then a rename over the target.
#include <filesystem>
#include <string>
#include <string_view>

namespace sv::platform {

enum class CreateResult { Written, AlreadyExists, Failed };

// Creates path, which must not exist yet, writes every byte and flushes it to
// the disk. On failure the partial file is removed and error says why.
CreateResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

// Renames from to to, replacing an existing file in one step; a reader sees
// either the old or the new file, never a mix or nothing.
bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);

}  // namespace sv::platform
