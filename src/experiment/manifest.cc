#include "manifest.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>

#include <nlohmann/json.hpp>

#include "experiment/checked_output.h"
#include "experiment/input_file.h"

namespace davrel3 {

namespace {

// {"kind": ..., "name": ..., "sha256": ...}, leaving out what the kind lacks.
nlohmann::ordered_json LevelsSourceJson(const LevelsSource& source) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  out["kind"] = source.Kind;
  if (!source.Name.empty()) out["name"] = source.Name;
  if (!source.Sha256.empty()) out["sha256"] = source.Sha256;
  if (!source.OverName.empty()) {
    nlohmann::ordered_json over = nlohmann::ordered_json::object();
    over["kind"] = "parameters";
    over["name"] = source.OverName;
    if (!source.OverSha256.empty()) over["sha256"] = source.OverSha256;
    out["over"] = over;
  }
  return out;
}

}  // namespace

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string ManifestText(const TableManifest& manifest) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["format"] = kManifestFormat;
  json["schema_version"] = manifest.schemaVersion;
  json["program"] = manifest.program;
  json["version"] = manifest.version;
  json["command_line"] = manifest.commandLine;
  json["started"] = manifest.started;
  json["ended"] = manifest.ended;
  json["runs"] = manifest.runs;
  json["rows"] = manifest.rows;
  json["table"] = manifest.table;
  json["sha256"] = manifest.sha256;
  json["complete"] = manifest.complete;
  if (manifest.planRuns > 0) {
    json["plan_runs"] = manifest.planRuns;
    json["first_run"] = manifest.firstRun;
    json["last_run"] = manifest.lastRun;
  }
  if (manifest.memoryBudget > 0) json["memory_budget"] = manifest.memoryBudget;
  if (manifest.levels) json["levels"] = LevelsSourceJson(*manifest.levels);
  // A command-line text that is not UTF-8 is written with replacement marks
  // rather than stopping the manifest.
  return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ManifestPath(const std::string& tablePath) { return tablePath + ".manifest.json"; }

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> WriteManifest(const std::string& tablePath, const TableManifest& manifest) {
  try {
    WriteFileAtomically(ManifestPath(tablePath), ManifestText(manifest));
  } catch (const OutputError& error) {
    return std::string("Cannot write the manifest: ") + error.what();
  }
  return std::nullopt;
}

namespace {

template <typename T>
T Member(const nlohmann::json& json, const char* key, const std::string& path) {
  const auto it = json.find(key);
  if (it == json.end()) throw ManifestError(path + " has no \"" + key + "\": it is not a manifest of this program");
  try {
    return it->get<T>();
  } catch (const nlohmann::json::exception&) {
    throw ManifestError(path + ": \"" + key + "\" does not hold what a manifest of this program holds there");
  }
}

template <typename T>
T Optional(const nlohmann::json& json, const char* key, const std::string& path, T absent) {
  return json.contains(key) ? Member<T>(json, key, path) : absent;
}

}  // namespace

TableManifest ReadManifest(const std::string& tablePath) {
  const std::string path = ManifestPath(tablePath);
  std::string text;
  try {
    text = ReadWholeFile(path, std::int64_t{1} << 20);
  } catch (const InputFileError& error) {
    throw ManifestError(error.what());
  }
  nlohmann::json json;
  try {
    json = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception&) {
    throw ManifestError(path + " is not valid JSON: it was cut off or changed by hand");
  }
  if (!json.is_object() || json.value("format", std::string()) != kManifestFormat) {
    throw ManifestError(path + " is not a manifest of this program");
  }
  TableManifest manifest;
  manifest.schemaVersion = Member<int>(json, "schema_version", path);
  manifest.program = Member<std::string>(json, "program", path);
  manifest.version = Member<std::string>(json, "version", path);
  manifest.commandLine = Member<std::vector<std::string>>(json, "command_line", path);
  manifest.started = Member<std::string>(json, "started", path);
  manifest.ended = Member<std::string>(json, "ended", path);
  manifest.runs = Member<long long>(json, "runs", path);
  manifest.rows = Member<long long>(json, "rows", path);
  manifest.table = Member<std::string>(json, "table", path);
  manifest.sha256 = Member<std::string>(json, "sha256", path);
  manifest.complete = Optional<bool>(json, "complete", path, true);
  manifest.planRuns = Optional<long long>(json, "plan_runs", path, 0);
  manifest.firstRun = Optional<long long>(json, "first_run", path, 0);
  manifest.lastRun = Optional<long long>(json, "last_run", path, 0);
  manifest.memoryBudget = Optional<std::int64_t>(json, "memory_budget", path, 0);
  if (json.contains("levels")) {
    const nlohmann::json& levels = json["levels"];
    if (!levels.is_object()) {
      throw ManifestError(path + ": \"levels\" does not hold what a manifest of this program holds there");
    }
    manifest.levels = LevelsSource{Member<std::string>(levels, "kind", path),
                                   Optional<std::string>(levels, "name", path, ""),
                                   Optional<std::string>(levels, "sha256", path, "")};
    if (levels.contains("over")) {
      const nlohmann::json& over = levels["over"];
      if (!over.is_object()) {
        throw ManifestError(path + ": \"levels\" does not hold what a manifest of this program holds there");
      }
      manifest.levels->OverName = Member<std::string>(over, "name", path);
      manifest.levels->OverSha256 = Optional<std::string>(over, "sha256", path, "");
    }
  }
  return manifest;
}

}  // namespace davrel3
