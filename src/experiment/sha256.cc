#include "sha256.h"

#include <stdexcept>

#include <openssl/evp.h>

namespace davrel3 {
namespace {

std::string Hex(const unsigned char* digest, unsigned int length) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * length);
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

[[noreturn]] void Fail() { throw std::runtime_error("SHA-256 could not be computed"); }

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) Fail();
  return Hex(digest, length);
}

struct Sha256::Context {
  EVP_MD_CTX* ctx = nullptr;
  ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {
  context_->ctx = EVP_MD_CTX_new();
  if (!context_->ctx || EVP_DigestInit_ex(context_->ctx, EVP_sha256(), nullptr) != 1) Fail();
}

Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
  if (EVP_DigestUpdate(context_->ctx, bytes.data(), bytes.size()) != 1) Fail();
}

std::string Sha256::HexDigest() const {
  // Finishing a copy leaves this hash open for more bytes.
  Context copy;
  copy.ctx = EVP_MD_CTX_new();
  if (!copy.ctx || EVP_MD_CTX_copy_ex(copy.ctx, context_->ctx) != 1) Fail();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(copy.ctx, digest, &length) != 1) Fail();
  return Hex(digest, length);
}

}  // namespace davrel3
