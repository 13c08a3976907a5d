// SHA-256 of a byte stream, for the digests the CLI prints of extracted messages.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace rescuva::cli {

class Sha256 {
 public:
  Sha256();
  void Update(std::span<const uint8_t> bytes);
  std::string HexDigest();  // ends the hash

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};

}  // namespace rescuva::cli
