#pragma once
// The send queue of a socket: fixed-size chunks that never grow, filled by
// QueueSendData and drained by TryToSend. The socket component injects the
// process-wide lock and the raw send call, so the queue itself is pure.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace sv::net {

// One chunk: the block, the written count and the sent count. The unsent
// part lies between them; once it is all sent both counters return to 0.
class TBuffer {
 public:
  static constexpr int64_t kDefaultSize = 1514;

  explicit TBuffer(int64_t size);

  // A size of 0 or less means kDefaultSize. Unsent bytes move to the new
  // block; when they would not fit the old block is kept and false returned.
  bool SetBufSize(int64_t size);
  // Takes min(len, free space) bytes after the written ones; a negative len
  // counts as 0.
  size_t Write(const char* data, int64_t len);
  std::string_view Peek() const;
  // Marks min(len, unsent) bytes as sent.
  size_t Remove(int64_t len);

  size_t Size() const { return block_.size(); }
  size_t WrCount() const { return wrCount_; }
  size_t RdCount() const { return rdCount_; }

 private:
  std::vector<char> block_;
  size_t wrCount_ = 0;
  size_t rdCount_ = 0;
};

// The process-wide lock of all send queues, held around every queue step.
class SendQueueLock {
 public:
  virtual ~SendQueueLock() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

// What the library answered to one send call: bytes taken (> 0), 0, or -1
// with the error code.
struct RawSendResult {
  int64_t sent = 0;
  int error = 0;
};

enum class SendOutcome {
  AllSent,         // the queue is empty
  Waiting,         // the library took less, or would block: resume at FD_WRITE
  Stopped,         // the library took nothing
  ConnectionLost,  // reset, abort, not connected...: close and report closed
  Failed,          // any other error: report it
};

struct TrySendResult {
  SendOutcome outcome = SendOutcome::AllSent;
  int error = 0;
};

class SendQueue {
 public:
  static constexpr int64_t kChunkSize = 1460;

  // lock may be null for a queue used by one thread only.
  explicit SendQueue(SendQueueLock* lock = nullptr) : lock_(lock) {}

  void QueueSendData(const char* data, int64_t len);
  // Offers the first chunk's unsent part per call of rawSend, under the lock;
  // onSent gets each positive count. The caller reports errors after this
  // returns, outside the lock.
  TrySendResult TryToSend(const std::function<RawSendResult(const char*, size_t)>& rawSend,
                          const std::function<void(size_t)>& onSent);
  void Discard();

  bool AllSent() const { return allSent_; }
  // Send clears the flag before it queues, so that an empty send still ends
  // in a data-sent notification.
  void ClearAllSent() { allSent_ = false; }
  int64_t QueuedBytes() const { return queued_; }
  size_t ChunkCount() const { return chunks_.size(); }
  const TBuffer& Chunk(size_t index) const { return *chunks_[index]; }

 private:
  class Hold;

  SendQueueLock* lock_;
  std::vector<std::unique_ptr<TBuffer>> chunks_;
  int64_t queued_ = 0;
  bool allSent_ = true;
};

// Errors of a send call that mean the connection is gone.
bool IsConnectionLostError(int error);
constexpr int kWouldBlockError = 10035;

}  // namespace sv::net
