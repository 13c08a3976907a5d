// Sixteen-byte vectors for the byte scans: loading them from any address, and asking
// whether a comparison hit in any lane.
#pragma once

#include <cstdint>
#include <cstring>

namespace rescuva::engine {

using U8x16 = uint8_t __attribute__((vector_size(16)));
using U16x8 = uint16_t __attribute__((vector_size(16)));

template <typename Vector>
Vector LoadVector(const uint8_t* at) {
  Vector v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

// A comparison's result has every bit of a lane set where it holds.
template <typename Vector>
bool AnyLane(const Vector& hits) {
  using U64x2 = uint64_t __attribute__((vector_size(16)));
  U64x2 words;
  std::memcpy(&words, &hits, sizeof words);
  return (words[0] | words[1]) != 0;
}

}  // namespace rescuva::engine
