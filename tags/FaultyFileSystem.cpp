#include "tags/FaultyFileSystem.h"

namespace sv::tags {
namespace {

class FaultyFile final : public RandomAccessFile {
 public:
  FaultyFile(FaultyFileSystem& fs, std::unique_ptr<RandomAccessFile> inner)
      : fs_(fs), inner_(std::move(inner)) {}

  bool Size(std::uint64_t& size) override { return !fs_.Fail() && inner_->Size(size); }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override {
    got = 0;
    return !fs_.Fail() && inner_->ReadAt(offset, buffer, count, got);
  }

  bool WriteAt(std::uint64_t offset, const void* data, std::size_t count) override {
    if (fs_.Fail()) {
      inner_->WriteAt(offset, data, count / 2);
      return false;
    }
    return inner_->WriteAt(offset, data, count);
  }

  bool Truncate(std::uint64_t size) override { return !fs_.Fail() && inner_->Truncate(size); }
  bool Flush() override { return !fs_.Fail() && inner_->Flush(); }

  // A failed close still releases the handle, as the systems do.
  bool Close() override {
    const bool fail = fs_.Fail();
    return inner_->Close() && !fail;
  }

 private:
  FaultyFileSystem& fs_;
  std::unique_ptr<RandomAccessFile> inner_;
};

}  // namespace

bool FaultyFileSystem::Fail() {
  ++calls_;
  if (failAt_ > 0 && (calls_ == failAt_ || (persistent_ && calls_ > failAt_))) {
    failed_ = true;
    return true;
  }
  return false;
}

std::unique_ptr<RandomAccessFile> FaultyFileSystem::Wrap(std::unique_ptr<RandomAccessFile> file) {
  if (!file) return nullptr;
  return std::make_unique<FaultyFile>(*this, std::move(file));
}

std::unique_ptr<RandomAccessFile> FaultyFileSystem::OpenRead(const std::string& path,
                                                             ReadSharing sharing) {
  if (Fail()) return nullptr;
  return Wrap(inner_.OpenRead(path, sharing));
}

std::unique_ptr<RandomAccessFile> FaultyFileSystem::OpenReadWrite(const std::string& path) {
  if (Fail()) return nullptr;
  return Wrap(inner_.OpenReadWrite(path));
}

std::unique_ptr<RandomAccessFile> FaultyFileSystem::CreateNew(const std::string& path) {
  if (Fail()) return nullptr;
  return Wrap(inner_.CreateNew(path));
}

bool FaultyFileSystem::Exists(const std::string& path) { return !Fail() && inner_.Exists(path); }
bool FaultyFileSystem::Remove(const std::string& path) { return !Fail() && inner_.Remove(path); }

bool FaultyFileSystem::Replace(const std::string& source, const std::string& target) {
  return !Fail() && inner_.Replace(source, target);
}

bool FaultyFileSystem::GetAttributes(const std::string& path, std::uint32_t& attributes) {
  return !Fail() && inner_.GetAttributes(path, attributes);
}

bool FaultyFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return !Fail() && inner_.SetAttributes(path, attributes);
}

}  // namespace sv::tags
