#pragma once
// A window's messages pass through a chain of filters before the window's
// own handling: the tray and the snapping component hook their form this
// way, and the application window's hooks are such a chain too. The newest
// filter sees a message first; a filter that returns true has answered it
// (in Result) and nothing after it sees it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace forms {

struct WindowMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using MessageFilter = std::function<bool(WindowMessage& message)>;
// Identifies one added filter; never reused within the process.
using FilterId = std::uint64_t;

class MessageFilterChain {
 public:
  MessageFilterChain() = default;
  ~MessageFilterChain();
  MessageFilterChain(const MessageFilterChain&) = delete;
  MessageFilterChain& operator=(const MessageFilterChain&) = delete;

  FilterId Add(MessageFilter filter);
  // Removing in any order is fine; an unknown id is ignored.
  void Remove(FilterId id);
  // Filters added or removed while a message passes take effect with the
  // next message, except that a removed filter is never called again.
  bool Run(WindowMessage& message);
  bool Empty() const { return entries_.empty(); }

 private:
  struct Entry {
    FilterId id;
    MessageFilter filter;
    bool removed = false;
  };
  std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace forms
