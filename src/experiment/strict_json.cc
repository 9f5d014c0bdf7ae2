#include "strict_json.h"

#include <climits>
#include <vector>

#include "utf8_text.h"

namespace davrel3 {
namespace {

using Json = nlohmann::ordered_json;

std::string Where(std::string_view text, std::size_t offset) {
  if (offset > text.size()) offset = text.size();
  std::size_t line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

// The offset at which the text opens its (maxDepth + 1)-th nested object or
// array, counting brackets outside strings; npos when it never does.
std::size_t TooDeepAt(std::string_view text, int maxDepth) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > maxDepth) return i;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return std::string_view::npos;
}

// Builds the document from the parser's events and refuses what a strict
// reader refuses. The parser itself never recurses, and neither does this.
class StrictBuilder : public nlohmann::json_sax<Json> {
 public:
  StrictBuilder(Json& root, std::string_view text, const std::string& what, int maxDepth,
                std::string_view anyNumberIn)
      : root_(root), text_(text), what_(what), maxDepth_(maxDepth), anyNumberIn_(anyNumberIn) {}

  const std::string& Error() const { return error_; }

  bool null() override { return Add(Json(nullptr)); }
  bool boolean(bool value) override { return Add(Json(value)); }
  bool number_integer(number_integer_t value) override {
    if (!InAnyNumberEntry() && (value < INT_MIN || value > INT_MAX)) return NumberRefused(std::to_string(value));
    return Add(Json(value));
  }
  bool number_unsigned(number_unsigned_t value) override {
    if (!InAnyNumberEntry() && value > static_cast<number_unsigned_t>(INT_MAX)) {
      return NumberRefused(std::to_string(value));
    }
    return Add(Json(value));
  }
  // The parser hands over finite numbers only: one too large for a double
  // is a parse error (406).
  bool number_float(number_float_t value, const string_t& raw) override {
    if (!InAnyNumberEntry()) return NumberRefused(raw);
    return Add(Json(value));
  }
  bool string(string_t& value) override { return Add(Json(std::move(value))); }
  bool binary(binary_t&) override { return Fail(what_ + " holds binary data, which no JSON text can"); }

  bool start_object(std::size_t) override { return Open(Json::object()); }
  bool key(string_t& name) override {
    Json& object = *stack_.back();
    if (object.contains(name)) {
      std::string message = what_;
      message.append(" names \"").append(ValidUtf8(name)).append("\" twice in ").append(Path());
      return Fail(message.append("; every key may appear only once"));
    }
    keys_.back() = name;
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(Json::array()); }
  bool end_array() override { return Close(); }

  bool parse_error(std::size_t position, const std::string& lastToken,
                   const nlohmann::detail::exception& error) override {
    if (!error_.empty()) return false;
    // The parser stops just past the character it could not take.
    const std::size_t at = position == 0 ? 0 : position - 1;
    if (error.id == 406) {  // a number too large for a double
      const std::size_t start = position >= lastToken.size() ? position - lastToken.size() : 0;
      return Fail(what_ + " holds the number " + ValidUtf8(lastToken) + " at " + Where(text_, start) +
                  (InAnyNumberEntry() ? ", which is too large to be a finite number"
                                      : ", which is not a whole number from -2147483648 to 2147483647"));
    }
    if (at >= text_.size()) return Fail(what_ + " is not JSON: it ends before its text is complete");
    std::string_view near = text_.substr(at, 16);
    near = near.substr(0, near.find('\n'));
    return Fail(what_ + " is not JSON: it goes wrong at " + Where(text_, at) + " (at \"" + ValidUtf8(near) + "\")");
  }

 private:
  // Where the next value goes: the root, the end of an array or the key just read.
  Json* Place() {
    if (stack_.empty()) return &root_;
    Json& parent = *stack_.back();
    if (parent.is_array()) {
      parent.push_back(nullptr);
      return &parent.back();
    }
    return &parent[keys_.back()];
  }
  bool Add(Json value) {
    *Place() = std::move(value);
    return true;
  }
  bool Open(Json empty) {
    if (static_cast<int>(stack_.size()) >= maxDepth_) {
      return Fail(what_ + " nests objects and arrays more than " + std::to_string(maxDepth_) + " levels deep");
    }
    Json* place = Place();
    *place = std::move(empty);
    stack_.push_back(place);
    keys_.emplace_back();
    return true;
  }
  bool Close() {
    stack_.pop_back();
    keys_.pop_back();
    return true;
  }
  // The keys leading to the current object (withCurrentKey false: the one
  // being read is left out), as "fields" > "NrofAg".
  std::string Keys(bool withCurrentKey) const {
    std::string path;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (!withCurrentKey && i + 1 == keys_.size()) break;
      if (!stack_[i]->is_object()) continue;
      if (!path.empty()) path.append(" > ");
      path.push_back('"');
      path.append(ValidUtf8(keys_[i]));
      path.push_back('"');
    }
    return path;
  }
  std::string Path() const {
    const std::string keys = Keys(false);
    return keys.empty() ? std::string("the top-level object") : "the entry " + keys;
  }
  std::string ValuePath() const {
    const std::string keys = Keys(true);
    return keys.empty() ? std::string("its top level") : keys;
  }
  // Whether the value being read lies inside the top-level entry that may
  // hold any finite number.
  bool InAnyNumberEntry() const {
    return !anyNumberIn_.empty() && !stack_.empty() && stack_[0]->is_object() && keys_[0] == anyNumberIn_;
  }
  bool NumberRefused(const std::string& raw) {
    return Fail(what_ + " holds " + ValidUtf8(raw) + " at " + ValuePath() +
                ", which is not a whole number from -2147483648 to 2147483647");
  }
  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  Json& root_;
  std::string_view text_;
  const std::string& what_;
  int maxDepth_;
  std::string_view anyNumberIn_;
  std::vector<Json*> stack_;
  std::vector<std::string> keys_;
  std::string error_;
};

}  // namespace

Json ParseStrictJson(std::string_view text, const std::string& what, int maxDepth, std::string_view anyNumberIn) {
  if (const auto bad = FirstInvalidUtf8(text)) {
    throw StrictJsonError(what + " holds bytes that are not UTF-8 text at " + Where(text, *bad));
  }
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) throw StrictJsonError(what + " is empty");
  if (const std::size_t at = TooDeepAt(text, maxDepth); at != std::string_view::npos) {
    throw StrictJsonError(what + " nests objects and arrays more than " + std::to_string(maxDepth) +
                          " levels deep (at " + Where(text, at) + ")");
  }
  Json root;
  StrictBuilder builder(root, text, what, maxDepth, anyNumberIn);
  const bool ok = Json::sax_parse(text.begin(), text.end(), &builder, Json::input_format_t::json, true);
  if (!ok) {
    if (builder.Error().empty()) throw StrictJsonError(what + " is not JSON");
    throw StrictJsonError(builder.Error());
  }
  return root;
}

}  // namespace davrel3
