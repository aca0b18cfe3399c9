#pragma once
#include <exception>
#include <string>

namespace forms {

// The text an error box shows for an exception: its message, with a full
// stop added when it does not end in punctuation.
std::string ErrorText(std::exception_ptr error);

}  // namespace forms
