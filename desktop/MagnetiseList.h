#pragma once
// The forms a snapping form is magnetised to, each with the edges by which
// it touches that form now (a SnapEdge set, 0 for none). A growable array
// with room for 4 at first; an index out of range raises sv::Exception.
#include <cstdint>
#include <vector>

namespace forms {
class TForm;
}

namespace desktop {

struct MagnetiseEntry {
  forms::TForm* Form = nullptr;
  std::uint16_t State = 0;
};

class TListItemMagnetise {
 public:
  TListItemMagnetise() { entries_.reserve(4); }

  int Count() const { return static_cast<int>(entries_.size()); }
  const MagnetiseEntry& Item(int index) const;
  void SetItem(int index, const MagnetiseEntry& entry);
  int Add(const MagnetiseEntry& entry);
  void Delete(int index);
  // The entry of that form, or -1.
  int IndexOf(const forms::TForm* form) const;

 private:
  void Check(int index) const;
  std::vector<MagnetiseEntry> entries_;
};

}  // namespace desktop
