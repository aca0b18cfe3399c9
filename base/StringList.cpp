#include "base/StringList.h"

#include <algorithm>
#include <utility>

#include "base/Ascii.h"
#include "base/TextFile.h"

namespace sv {

ListIndexError::ListIndexError(int index) : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

void StringList::SetCompare(Comparer compare) { compare_ = std::move(compare); }

int StringList::Compare(std::string_view a, std::string_view b) const {
  return compare_ ? compare_(a, b) : CompareTextAscii(a, b);
}

void StringList::Check(int index) const {
  if (index < 0 || index >= Count()) throw ListIndexError(index);
}

const std::string& StringList::operator[](int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)];
}

std::string& StringList::operator[](int index) {
  Check(index);
  return items_[static_cast<std::size_t>(index)];
}

int StringList::Add(std::string s) {
  items_.push_back(std::move(s));
  return Count() - 1;
}

void StringList::Insert(int index, std::string s) {
  if (index < 0 || index > Count()) throw ListIndexError(index);
  items_.insert(items_.begin() + index, std::move(s));
}

void StringList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
}

void StringList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
}

int StringList::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (Compare(items_[static_cast<std::size_t>(i)], s) == 0) return i;
  return -1;
}

void StringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
}

std::string StringList::Text() const {
  std::string out;
  for (const auto& s : items_) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void StringList::SetText(std::string_view text) {
  items_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      items_.emplace_back(text.substr(pos));
      break;
    }
    items_.emplace_back(text.substr(pos, end - pos));
    pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

std::string StringList::CommaText() const {
  // A single empty item must still be visible as one item.
  if (items_.size() == 1 && items_[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const std::string& s = items_[i];
    if (i > 0) out += ',';
    const bool quote = std::any_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
    });
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (const char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

int StringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = items_[static_cast<std::size_t>(i)];
    const std::size_t eq = s.find('=');
    if (eq != std::string::npos && SameTextAscii(std::string_view(s).substr(0, eq), name)) return i;
  }
  return -1;
}

std::string StringList::Name(int index) const {
  const std::string& s = (*this)[index];
  const std::size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string StringList::Value(std::string_view name) const {
  const int i = IndexOfName(name);
  if (i < 0) return {};
  const std::string& s = items_[static_cast<std::size_t>(i)];
  return s.substr(s.find('=') + 1);
}

void StringList::SetValue(std::string_view name, std::string_view value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = std::string(name) + "=" + std::string(value);
  if (i >= 0) items_[static_cast<std::size_t>(i)] = std::move(line);
  else items_.push_back(std::move(line));
}

void StringList::LoadFromFile(const std::string& path) { SetText(ReadTextFile(path)); }

void StringList::SaveToFile(const std::string& path) const { WriteTextFile(path, Text()); }

}  // namespace sv
