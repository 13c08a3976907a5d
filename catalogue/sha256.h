// SHA-256 of a byte stream, for the digests of extracted messages: a
// thin holder of OpenSSL's digest context.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct evp_md_ctx_st;

namespace rescuva::catalogue {

class Sha256 {
 public:
  Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  ~Sha256();
  void Update(std::span<const uint8_t> bytes);
  std::string HexDigest();  // ends the hash

 private:
  evp_md_ctx_st* context_;
};

}  // namespace rescuva::catalogue
