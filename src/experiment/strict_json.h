// JSON read strictly, for files a user hands to the program: the text must be
// valid UTF-8, nest at most a given number of levels, name no key twice in
// one object and hold only whole numbers that fit an int. Every refusal says
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

// Parses `text`; `what` starts every message ("The parameter file").
nlohmann::ordered_json ParseStrictJson(std::string_view text, const std::string& what,
                                       int maxDepth = kMaxJsonDepth);

}  // namespace davrel3
