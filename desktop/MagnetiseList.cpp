#include "desktop/MagnetiseList.h"

#include <string>

#include "base/Exception.h"

namespace desktop {

void TListItemMagnetise::Check(int index) const {
  if (index < 0 || index >= Count()) throw sv::Exception("List index out of bounds (" + std::to_string(index) + ")");
}

const MagnetiseEntry& TListItemMagnetise::Item(int index) const {
  Check(index);
  return entries_[static_cast<std::size_t>(index)];
}

void TListItemMagnetise::SetItem(int index, const MagnetiseEntry& entry) {
  Check(index);
  entries_[static_cast<std::size_t>(index)] = entry;
}

int TListItemMagnetise::Add(const MagnetiseEntry& entry) {
  entries_.push_back(entry);
  return Count() - 1;
}

void TListItemMagnetise::Delete(int index) {
  Check(index);
  entries_.erase(entries_.begin() + index);
}

int TListItemMagnetise::IndexOf(const forms::TForm* form) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].Form == form) return i;
  return -1;
}

}  // namespace desktop
