// Conversion of control texts to whole numbers, the one place where a
// parameter text becomes a number.
#pragma once

#include <stdexcept>
#include <string>

namespace davrel3 {

// Raised when a text is not a whole number; what() is the message the user
// sees: 'TEXT' is not a valid integer value.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const std::string& text);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// An optional '+' or '-' followed by decimal digits (leading zeros allowed),
// nothing else, within the signed 32-bit range.
int StrToInt(const std::string& text);

// Decimal text of a whole number, as the controls show it.
std::string IntToStr(long long value);

}  // namespace davrel3
