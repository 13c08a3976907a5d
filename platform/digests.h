// Digests of a byte stream, as examiners' tools give them: MD5, SHA-1 and SHA-256,
// alone or all three in one pass, in lowercase hex, through OpenSSL's contexts.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct evp_md_ctx_st;

namespace rescuva::platform {

enum class HashKind { kMd5, kSha1, kSha256 };

class Hasher {
 public:
  explicit Hasher(HashKind kind);
  Hasher(const Hasher&) = delete;
  Hasher& operator=(const Hasher&) = delete;
  ~Hasher();
  void Update(std::span<const uint8_t> bytes);
  std::string HexDigest();  // ends the hash; the next Update starts another

 private:
  evp_md_ctx_st* context_;
};

// The three digests of the same bytes.
struct DigestSet {
  std::string md5;
  std::string sha1;
  std::string sha256;
  bool Empty() const { return sha256.empty(); }
  bool operator==(const DigestSet&) const = default;
};

class DigestSetHasher {
 public:
  void Update(std::span<const uint8_t> bytes);
  DigestSet Finish();  // ends the hashes; the next Update starts others

 private:
  Hasher md5_{HashKind::kMd5};
  Hasher sha1_{HashKind::kSha1};
  Hasher sha256_{HashKind::kSha256};
};

// The three digests of `bytes`.
DigestSet DigestsOf(std::span<const uint8_t> bytes);

}  // namespace rescuva::platform
