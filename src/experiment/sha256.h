// The SHA-256 of a file's bytes, as the manifests name the files a run read.
#pragma once

#include <string>
#include <string_view>

namespace davrel3 {

// 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace davrel3
