#include "int_text.h"

#include <climits>

namespace davrel3 {

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value"), text_(text) {}

int StrToInt(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) throw ConversionError(text);
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch < '0' || ch > '9') throw ConversionError(text);
    value = value * 10 + (ch - '0');
    // Past 2^31 the text can no longer fit; stop before the sum can overflow.
    if (value > static_cast<long long>(INT_MAX) + 1) throw ConversionError(text);
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) throw ConversionError(text);
  return static_cast<int>(value);
}

std::string IntToStr(long long value) { return std::to_string(value); }

}  // namespace davrel3
