#pragma once
// An ordered list of UTF-8 lines with the semantics later code relies on:
// lookups and sorting ignore case, text joins end every line with CR LF,
// text splits at CR, LF or CR LF, and a bad index raises ListIndexError.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"

namespace sv {

class ListIndexError : public Exception {
 public:
  explicit ListIndexError(int index);
};

class StringList {
 public:
  // <0, 0 or >0 like strcmp. The default ignores ASCII case; a Windows build
  // may plug in the user locale's comparison.
  using Comparer = std::function<int(std::string_view, std::string_view)>;

  StringList() = default;
  StringList(std::initializer_list<std::string> items) : items_(items) {}

  void SetCompare(Comparer compare);  // an empty comparer restores the default
  int Compare(std::string_view a, std::string_view b) const;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](int index) const;
  std::string& operator[](int index);

  int Add(std::string s);  // returns the new index
  void Insert(int index, std::string s);  // index may be Count()
  void Delete(int index);
  void Clear() { items_.clear(); }
  void Exchange(int a, int b);

  int IndexOf(std::string_view s) const;  // -1 when absent
  void Sort();                            // stable

  // Every line followed by CR LF, the last one included.
  std::string Text() const;
  // Lines end at CR, LF or CR LF; a last line without a break counts, a
  // final break adds no empty line.
  void SetText(std::string_view text);

  // Items joined by ","; an item holding a blank, a control character, ','
  // or '"' is quoted, inner quotes doubled.
  std::string CommaText() const;

  // "name=value" lines, the name matched ignoring case.
  int IndexOfName(std::string_view name) const;
  std::string Name(int index) const;  // before the first '=', or "" without one
  std::string Value(std::string_view name) const;
  // An empty value removes the line.
  void SetValue(std::string_view name, std::string_view value);

  // Through the text-file layer; errors raise FileReadError/FileWriteError.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  const std::vector<std::string>& Items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void Check(int index) const;
  std::vector<std::string> items_;
  Comparer compare_;
};

}  // namespace sv
