// SHA-256, as lowercase hex: the manifests name the files a run read and the
// table it wrote by their hashes, so a table can be checked against the run
// that made it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace davrel3 {

// 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

// The hash of bytes given piece by piece, as a table is written.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(std::string_view bytes);
  // The digest of everything given so far; the hash goes on accepting bytes.
  std::string HexDigest() const;

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

}  // namespace davrel3
