#include "manifest.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>

#include <nlohmann/json.hpp>

namespace davrel3 {

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
  const std::string path = ManifestPath(tablePath);
  const std::string text = ManifestText(manifest);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "Cannot write the manifest " + path + ": " + std::strerror(errno);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) return "Cannot write the manifest " + path + ": the write failed (is the disk full?)";
  return std::nullopt;
}

}  // namespace davrel3
