#include "net/core/NetSockBuf.h"

#include <algorithm>
#include <cstring>

namespace sv::net {

TBuffer::TBuffer(int64_t size) { SetBufSize(size); }

bool TBuffer::SetBufSize(int64_t size) {
  const size_t wanted = size <= 0 ? static_cast<size_t>(kDefaultSize) : static_cast<size_t>(size);
  if (wanted == block_.size()) return true;
  const size_t unsent = wrCount_ - rdCount_;
  if (unsent > wanted) return false;
  std::vector<char> block(wanted);
  if (unsent > 0) std::memcpy(block.data(), block_.data() + rdCount_, unsent);
  block_ = std::move(block);
  wrCount_ = unsent;
  rdCount_ = 0;
  return true;
}

size_t TBuffer::Write(const char* data, int64_t len) {
  if (len <= 0) return 0;
  const size_t take = std::min(static_cast<size_t>(len), block_.size() - wrCount_);
  if (take > 0) std::memcpy(block_.data() + wrCount_, data, take);
  wrCount_ += take;
  return take;
}

std::string_view TBuffer::Peek() const {
  if (wrCount_ == rdCount_) return {};
  return {block_.data() + rdCount_, wrCount_ - rdCount_};
}

size_t TBuffer::Remove(int64_t len) {
  if (len <= 0) return 0;
  const size_t take = std::min(static_cast<size_t>(len), wrCount_ - rdCount_);
  rdCount_ += take;
  if (rdCount_ == wrCount_) rdCount_ = wrCount_ = 0;
  return take;
}

class SendQueue::Hold {
 public:
  explicit Hold(SendQueueLock* lock) : lock_(lock) {
    if (lock_) lock_->Lock();
  }
  ~Hold() {
    if (lock_) lock_->Unlock();
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  SendQueueLock* lock_;
};

void SendQueue::QueueSendData(const char* data, int64_t len) {
  if (len <= 0 || data == nullptr) return;
  Hold hold(lock_);
  if (chunks_.empty()) chunks_.push_back(std::make_unique<TBuffer>(kChunkSize));
  queued_ += len;
  size_t remaining = static_cast<size_t>(len);
  for (;;) {
    const size_t taken = chunks_.back()->Write(data, static_cast<int64_t>(remaining));
    if (taken >= remaining) break;
    data += taken;
    remaining -= taken;
    chunks_.push_back(std::make_unique<TBuffer>(kChunkSize));
  }
  allSent_ = false;
}

TrySendResult SendQueue::TryToSend(const std::function<RawSendResult(const char*, size_t)>& rawSend,
                                   const std::function<void(size_t)>& onSent) {
  Hold hold(lock_);
  for (;;) {
    if (chunks_.empty()) {
      allSent_ = true;
      return {};
    }
    const std::string_view unsent = chunks_.front()->Peek();
    if (unsent.empty()) {
      if (chunks_.size() > 1) {
        chunks_.erase(chunks_.begin());
        continue;
      }
      allSent_ = true;
      return {};
    }
    const RawSendResult result = rawSend(unsent.data(), unsent.size());
    if (result.sent == 0) return {SendOutcome::Stopped, 0};
    if (result.sent < 0) {
      if (result.error == kWouldBlockError) return {SendOutcome::Waiting, 0};
      if (IsConnectionLostError(result.error)) return {SendOutcome::ConnectionLost, result.error};
      return {SendOutcome::Failed, result.error};
    }
    const size_t sent = std::min(static_cast<size_t>(result.sent), unsent.size());
    queued_ = std::max<int64_t>(0, queued_ - static_cast<int64_t>(sent));
    chunks_.front()->Remove(static_cast<int64_t>(sent));
    const bool partial = sent < unsent.size();
    // The handler may queue more or discard the queue: nothing from before
    // the call is used after it.
    if (onSent) onSent(sent);
    if (partial) return {SendOutcome::Waiting, 0};
  }
}

void SendQueue::Discard() {
  Hold hold(lock_);
  chunks_.clear();
  queued_ = 0;
}

bool IsConnectionLostError(int error) {
  return error == 10022 || error == 10038 || error == 10053 || error == 10054 || error == 10057;
}

}  // namespace sv::net
