// An Expert Witness Format image (.E01 and its further segments), read through libewf.
#pragma once

#include <mutex>
#include <string>

#include "platform/byte_source.h"

namespace rescuva::platform {

class EwfImage : public ByteSource {
 public:
  EwfImage() = default;
  EwfImage(const EwfImage&) = delete;
  EwfImage& operator=(const EwfImage&) = delete;
  ~EwfImage() override;

  // Opens the image whose first segment is `path` with every segment beside it; false
  // (and `error` says why, naming a missing segment) when it cannot be read.
  bool Open(const std::string& path, std::string& error);
  int SegmentCount() const { return segments_; }

  uint64_t Length() const override { return length_; }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override;
  StoredDigests Stored() const override { return stored_; }

 private:
  void Close();

  struct Handle;
  Handle* handle_ = nullptr;
  mutable std::mutex mutex_;  // one read at a time through the library's handle
  uint64_t length_ = 0;
  int segments_ = 0;
  StoredDigests stored_;
};

}  // namespace rescuva::platform
