#pragma once
// Wraps a file system and makes one chosen call fail, to prove that a writer
// leaves the file either as it was or completely rewritten whatever step
// breaks. Every call counts, on the file system and on the files it opened:
// run the operation once to learn Calls(), then again with FailAt(n) for
// each n from 1 to that count.
#include <memory>

#include "tags/FileAccess.h"

namespace sv::tags {

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  // Makes the n-th call from now fail (1-based); 0 disables. With
  // `persistent`, that call and every later one fail, as a dying disk does.
  void FailAt(long n, bool persistent = false) {
    calls_ = 0;
    failAt_ = n;
    persistent_ = persistent;
    failed_ = false;
  }
  long Calls() const { return calls_; }
  // Whether the chosen call was reached.
  bool Failed() const { return failed_; }

  // Counts one call; true when it must fail. A failing WriteAt first writes
  // half of its data, as a torn write does.
  bool Fail();

  std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path, ReadSharing sharing) override;
  std::unique_ptr<RandomAccessFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<RandomAccessFile> CreateNew(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Replace(const std::string& source, const std::string& target) override;
  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;

 private:
  std::unique_ptr<RandomAccessFile> Wrap(std::unique_ptr<RandomAccessFile> file);

  FileSystem& inner_;
  long calls_ = 0;
  long failAt_ = 0;
  bool persistent_ = false;
  bool failed_ = false;
};

}  // namespace sv::tags
