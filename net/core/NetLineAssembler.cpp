#include "net/core/NetLineAssembler.h"

#include <algorithm>
#include <cstring>

namespace sv::net {

bool LineAssembler::SetLineMode(bool value) {
  if (value == lineMode_) return false;
  lineMode_ = value;
  return !buffer_.empty() || offered_ > 0;
}

size_t LineAssembler::Append(std::string_view received) {
  size_t oldEnd = buffer_.size();
  if (!LineEdit) {
    buffer_.append(received);
    if (LineEcho && OnEcho && !received.empty()) OnEcho(received);
    return oldEnd;
  }
  std::string echo;
  for (const char c : received) {
    if (c == '\b') {
      if (!buffer_.empty()) {
        if (LineEcho) echo += "\b \b";
        buffer_.pop_back();
      }
      oldEnd = std::min(oldEnd, buffer_.size());
    } else if (c == '\t') {
      const size_t pad = 8 - buffer_.size() % 8;
      buffer_.append(pad, ' ');
      if (LineEcho) echo.append(pad, ' ');
    } else {
      buffer_ += c;
      if (LineEcho) echo += c;
    }
  }
  if (!echo.empty() && OnEcho) OnEcho(echo);
  return oldEnd;
}

void LineAssembler::Offer(size_t length) {
  offered_ = static_cast<int64_t>(length);
  lineFound_ = true;
  while (lineMode_ && offered_ > 0) {
    const int64_t before = offered_;
    if (!OnLineOffered || !OnLineOffered() || offered_ == before) {
      buffer_.erase(0, static_cast<size_t>(offered_));
      offered_ = 0;
    }
  }
  // A handler that switched line mode off leaves the rest of its line as
  // ordinary stored bytes.
  offered_ = 0;
}

void LineAssembler::Feed(std::string_view received) {
  const size_t oldEnd = Append(received);
  if (LineEnd.empty()) return;
  size_t from = oldEnd > LineEnd.size() ? oldEnd - LineEnd.size() : 0;
  while (lineMode_) {
    const size_t found = buffer_.find(LineEnd, from);
    if (found == std::string::npos) break;
    Offer(found + LineEnd.size());
    from = 0;
  }
  const int64_t limit = LineLimit > 0 ? std::min(LineLimit, kHardLimit) : kHardLimit;
  const int64_t stored = static_cast<int64_t>(buffer_.size());
  if (stored > limit) {
    bool clearData = true;
    if (OnLineLimitExceeded) OnLineLimitExceeded(stored, clearData);
    // The handler may not keep more than the hard ceiling.
    if (clearData || stored > kHardLimit) {
      buffer_.clear();
      offered_ = 0;
    }
  }
}

size_t LineAssembler::Read(char* out, size_t len) {
  size_t available = buffer_.size();
  if (lineMode_) available = static_cast<size_t>(std::min<int64_t>(offered_, static_cast<int64_t>(buffer_.size())));
  const size_t take = std::min(len, available);
  if (take == 0) return 0;
  std::memcpy(out, buffer_.data(), take);
  buffer_.erase(0, take);
  if (offered_ > 0) offered_ -= static_cast<int64_t>(std::min<size_t>(take, static_cast<size_t>(offered_)));
  return take;
}

void LineAssembler::Close() {
  if (lineMode_ && !buffer_.empty()) Offer(buffer_.size());
  buffer_.clear();
  buffer_.shrink_to_fit();
  offered_ = 0;
}

}  // namespace sv::net
