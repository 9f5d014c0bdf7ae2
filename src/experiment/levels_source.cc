#include "levels_source.h"

namespace davrel3 {

nlohmann::ordered_json LevelsSourceJson(const LevelsSource& source) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  out["kind"] = source.Kind;
  if (!source.Name.empty()) out["name"] = source.Name;
  if (!source.Sha256.empty()) out["sha256"] = source.Sha256;
  return out;
}

}  // namespace davrel3
