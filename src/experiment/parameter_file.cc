#include "parameter_file.h"

#include <climits>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "input_file.h"
#include "levels_json.h"
#include "strict_json.h"
#include "utf8_text.h"

namespace davrel3 {

using Json = nlohmann::ordered_json;

namespace {
[[noreturn]] void Fail(const std::string& message) { throw ParameterFileError(message); }
}  // namespace

std::string SaveParameters(const ParameterPanel& panel, const SkillState* levels) {
  Json file = Json::object();
  file["format"] = kParameterFileFormat;
  file["version"] = kParameterFileVersion;
  Json fields = Json::object();
  for (int f = 0; f < kFieldCount; ++f) {
    const Field field = static_cast<Field>(f);
    // JSON holds only UTF-8; a text that is not would not load back as it was.
    std::string text = panel.Text(field);
    if (FirstInvalidUtf8(text)) {
      Fail("The text of field \"" + std::string(FieldName(field)) + "\" is not UTF-8 text and cannot be saved");
    }
    fields[std::string(FieldName(field))] = {{"text", std::move(text)}, {"position", panel.Position(field)}};
  }
  file["fields"] = std::move(fields);
  Json items = Json::object();
  for (int c = 0; c < kChoiceCount; ++c) {
    const Choice choice = static_cast<Choice>(c);
    items[std::string(ChoiceName(choice))] = panel.ItemIndex(choice);
  }
  file["items"] = std::move(items);
  std::string text = file.dump(2);
  if (levels) {
    // Written by hand so that each agent's skills take one line: the largest
    // group's levels stay a few megabytes.
    text.insert(text.size() - 2, ",\n  \"levels\": " + LevelsJsonText(*levels, 2));
  }
  return text + "\n";
}

namespace {


// A whole number that fits an int; JSON numbers such as 3.0 or 1e3 do not count.
std::optional<int> AsInt(const Json& value) {
  if (!value.is_number_integer()) return std::nullopt;
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(INT_MAX)) return std::nullopt;
    return static_cast<int>(u);
  }
  const auto i = value.get<std::int64_t>();
  if (i < INT_MIN || i > INT_MAX) return std::nullopt;
  return static_cast<int>(i);
}

std::optional<Choice> ChoiceFromName(const std::string& name) {
  for (int c = 0; c < kChoiceCount; ++c) {
    if (ChoiceName(static_cast<Choice>(c)) == name) return static_cast<Choice>(c);
  }
  return std::nullopt;
}

struct FieldValue {
  Field field;
  std::string text;
  std::optional<int> position;
};

struct ItemValue {
  Choice choice;
  int index;
};

}  // namespace

void LoadParameters(const std::string& text, ParameterPanel& panel, std::optional<SkillState>* levels) {
  if (text.size() > kMaxParameterFileBytes) {
    Fail("The parameter file is larger than " + std::to_string(kMaxParameterFileBytes >> 20) + " MiB");
  }
  Json file;
  try {
    // Levels are decimal numbers; everywhere else only whole ones are read.
    file = ParseStrictJson(text, "The parameter file", kMaxJsonDepth, "levels");
  } catch (const StrictJsonError& error) {
    Fail(error.what());
  }
  if (!file.is_object()) Fail("The file is not a parameter file: it holds no JSON object");
  if (!file.contains("format") || file["format"] != kParameterFileFormat) {
    Fail(std::string("The file is not a parameter file: its \"format\" is not \"") + kParameterFileFormat + "\"");
  }
  const std::optional<int> version = file.contains("version") ? AsInt(file["version"]) : std::nullopt;
  if (!version || *version < kParameterFileFirstVersion || *version > kParameterFileVersion) {
    Fail("The parameter file's \"version\" is " + (file.contains("version") ? file["version"].dump() : "missing") +
         "; this program reads versions " + std::to_string(kParameterFileFirstVersion) + " to " +
         std::to_string(kParameterFileVersion));
  }
  for (const auto& [key, value] : file.items()) {
    const bool known = key == "format" || key == "version" || key == "fields" || key == "items" ||
                       (key == "levels" && *version >= 2);
    if (!known) {
      Fail("The parameter file has an unknown entry \"" + key + "\"" +
           (key == "levels" ? " (levels came with version 2)" : ""));
    }
  }

  // Everything is checked and collected before the panel is touched.
  std::vector<FieldValue> fields;
  if (file.contains("fields")) {
    const Json& list = file["fields"];
    if (!list.is_object()) Fail("The parameter file's \"fields\" is not an object");
    for (const auto& [name, entry] : list.items()) {
      const auto field = FieldFromName(name);
      if (!field) Fail("The parameter file names an unknown field \"" + name + "\"");
      if (!entry.is_object()) Fail("Field \"" + name + "\" is not an object with a \"text\"");
      FieldValue value{*field, {}, std::nullopt};
      for (const auto& [key, item] : entry.items()) {
        if (key == "text") {
          if (!item.is_string()) Fail("The text of field \"" + name + "\" is not a string: " + item.dump());
          value.text = item.get<std::string>();
        } else if (key == "position") {
          value.position = AsInt(item);
          if (!value.position) Fail("The position of field \"" + name + "\" is not a whole number: " + item.dump());
        } else {
          Fail("Field \"" + name + "\" has an unknown entry \"" + key + "\"");
        }
      }
      if (!entry.contains("text")) Fail("Field \"" + name + "\" has no \"text\"");
      fields.push_back(std::move(value));
    }
  }
  std::vector<ItemValue> items;
  if (file.contains("items")) {
    const Json& list = file["items"];
    if (!list.is_object()) Fail("The parameter file's \"items\" is not an object");
    for (const auto& [name, entry] : list.items()) {
      const auto choice = ChoiceFromName(name);
      if (!choice) Fail("The parameter file names an unknown radio group \"" + name + "\"");
      const auto index = AsInt(entry);
      const int count = ChoiceItemCount(*choice);
      if (!index || *index < 0 || *index >= count) {
        Fail("The item of \"" + name + "\" must be a whole number from 0 to " + std::to_string(count - 1) +
             ", not " + entry.dump());
      }
      items.push_back({*choice, *index});
    }
  }

  std::optional<SkillState> fileLevels;
  if (file.contains("levels")) {
    SkillState read;
    if (auto problem = LevelsFromJson(file["levels"], read)) Fail(*problem);
    fileLevels = std::move(read);
  }

  if (levels) *levels = std::move(fileLevels);
  for (const FieldValue& value : fields) {
    panel.SetText(value.field, value.text);
    if (value.position) panel.SetPosition(value.field, *value.position);
  }
  for (const ItemValue& item : items) panel.SetItemIndex(item.choice, item.index);
}

std::optional<SkillState> ParameterFileLevels(const std::string& text) {
  InMemoryPanel scratch;
  std::optional<SkillState> levels;
  LoadParameters(text, scratch, &levels);
  return levels;
}

void LoadParameterFile(const std::string& path, ParameterPanel& panel, std::optional<SkillState>* levels) {
  std::string text;
  try {
    text = ReadWholeFile(path, static_cast<std::int64_t>(kMaxParameterFileBytes));
  } catch (const InputFileError& error) {
    Fail(error.what());
  }
  LoadParameters(text, panel, levels);
}

}  // namespace davrel3
