// Where recovered bytes come from: a folder file, a device or a disk image, read by
// position. Every read carries its own position, so threads can read at once.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rescuva::platform {

// Digests an image file keeps of the media it holds, as lowercase hex; empty when the
// image stores none.
struct StoredDigests {
  std::string md5;
  std::string sha1;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Length() const = 0;
  // Fills `out` with the bytes at `position`; bytes past Length() read as zero. False
  // on an I/O error (the content of `out` is then unspecified).
  virtual bool ReadAt(uint64_t position, std::span<uint8_t> out) const = 0;
  virtual StoredDigests Stored() const { return {}; }
  // The first position at or after `position` that may hold other bytes than zero
  // (a sparse file's holes hold none); Length() when none does.
  virtual uint64_t NextData(uint64_t position) const { return position; }
};

}  // namespace rescuva::platform
