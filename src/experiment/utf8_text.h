// Texts that must be valid UTF-8: JSON can hold nothing else, so every text
// that comes from a user (a typed parameter, a message quoting it) is checked
// or mended before it goes into a record or a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace davrel3 {

// The byte offset of the first byte that does not belong to a valid UTF-8
// sequence; nullopt when the whole text is valid.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view text);

// The text with every invalid byte sequence replaced by U+FFFD, the
// replacement character; a valid text comes back unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace davrel3
