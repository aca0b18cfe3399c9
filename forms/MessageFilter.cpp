#include "forms/MessageFilter.h"

#include <algorithm>

namespace forms {

namespace {
FilterId nextId = 1;
}

MessageFilterChain::~MessageFilterChain() {
  // A message still passing must not reach the filters of a chain gone.
  for (auto& entry : entries_) entry->removed = true;
}

FilterId MessageFilterChain::Add(MessageFilter filter) {
  auto entry = std::make_shared<Entry>();
  entry->id = nextId++;
  entry->filter = std::move(filter);
  entries_.push_back(entry);
  return entry->id;
}

void MessageFilterChain::Remove(FilterId id) {
  auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& entry) { return entry->id == id; });
  if (found == entries_.end()) return;
  (*found)->removed = true;
  entries_.erase(found);
}

bool MessageFilterChain::Run(WindowMessage& message) {
  // A snapshot keeps each entry alive while its filter runs, even if the
  // filter removes itself or the chain's owner goes away meanwhile.
  std::vector<std::shared_ptr<Entry>> snapshot = entries_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    const auto& entry = *it;
    if (entry->removed || !entry->filter) continue;
    MessageFilter filter = entry->filter;
    if (filter(message)) return true;
  }
  return false;
}

}  // namespace forms
