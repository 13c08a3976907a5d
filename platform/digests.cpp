#include "platform/digests.h"

#include <openssl/evp.h>

#include <new>

namespace rescuva::platform {
namespace {

const EVP_MD* Algorithm(HashKind kind) {
  switch (kind) {
    case HashKind::kMd5:
      return EVP_md5();
    case HashKind::kSha1:
      return EVP_sha1();
    case HashKind::kSha256:
      return EVP_sha256();
  }
  return EVP_sha256();
}

}  // namespace

Hasher::Hasher(HashKind kind) : context_(EVP_MD_CTX_new()) {
  if (!context_ || EVP_DigestInit_ex(context_, Algorithm(kind), nullptr) != 1) {
    EVP_MD_CTX_free(context_);
    throw std::bad_alloc();
  }
}

Hasher::~Hasher() {
  EVP_MD_CTX_free(context_);
}

void Hasher::Update(std::span<const uint8_t> bytes) {
  EVP_DigestUpdate(context_, bytes.data(), bytes.size());
}

std::string Hasher::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_, digest, &length);
  EVP_DigestInit_ex(context_, nullptr, nullptr);  // ready for the next stream
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

void DigestSetHasher::Update(std::span<const uint8_t> bytes) {
  md5_.Update(bytes);
  sha1_.Update(bytes);
  sha256_.Update(bytes);
}

DigestSet DigestSetHasher::Finish() {
  return {md5_.HexDigest(), sha1_.HexDigest(), sha256_.HexDigest()};
}

DigestSet DigestsOf(std::span<const uint8_t> bytes) {
  // each thread keeps its contexts: making them costs as much as hashing a short message
  thread_local DigestSetHasher hasher;
  hasher.Update(bytes);
  return hasher.Finish();
}

}  // namespace rescuva::platform
