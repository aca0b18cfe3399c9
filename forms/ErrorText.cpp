#include "forms/ErrorText.h"

#include <stdexcept>

namespace forms {

std::string ErrorText(std::exception_ptr error) {
  std::string text;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Unknown error";
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) text.pop_back();
  if (!text.empty()) {
    char last = text.back();
    if (last != '.' && last != '!' && last != '?' && last != ':' && last != ';') text += '.';
  }
  return text;
}

}  // namespace forms
