#include "catalogue/sha256.h"

#include <openssl/evp.h>

#include <new>

namespace rescuva::catalogue {

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (!context_ || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
}

Sha256::~Sha256() {
  EVP_MD_CTX_free(context_);
}

void Sha256::Update(std::span<const uint8_t> bytes) {
  EVP_DigestUpdate(context_, bytes.data(), bytes.size());
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_, digest, &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace rescuva::catalogue
