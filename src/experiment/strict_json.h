// JSON read strictly, for files a user hands to the program: the text must be
// valid UTF-8, nest at most a given number of levels, name no key twice in
// one object and hold only whole numbers that fit an int, except inside one
// named top-level entry, which may hold any finite number (a parameter
// file's levels). Every refusal says
// in plain words what is wrong and where (a line and column, or the keys
// leading to the value), never in the parser's own terms.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace davrel3 {

class StrictJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kMaxJsonDepth = 64;

// Parses `text`; `what` starts every message ("The parameter file"). Inside
// the top-level entry named `anyNumberIn` (none when empty) every finite
// number is read, whole or not.
nlohmann::ordered_json ParseStrictJson(std::string_view text, const std::string& what,
                                       int maxDepth = kMaxJsonDepth, std::string_view anyNumberIn = {});

}  // namespace davrel3
