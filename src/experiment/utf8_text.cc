#include "utf8_text.h"

#include <iterator>

#include <utf8.h>

namespace davrel3 {

std::optional<std::size_t> FirstInvalidUtf8(std::string_view text) {
  const auto bad = utf8::find_invalid(text.begin(), text.end());
  if (bad == text.end()) return std::nullopt;
  return static_cast<std::size_t>(bad - text.begin());
}

std::string ValidUtf8(std::string_view text) {
  if (!FirstInvalidUtf8(text)) return std::string(text);
  std::string mended;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(mended));
  return mended;
}

}  // namespace davrel3
