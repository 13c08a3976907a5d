// A mail file found on a disk image, read as a byte source through the places of its
// bytes in the image: a fragmented file reads whole, a sparse part as zeros.
#pragma once

#include "disk/disk_map.h"
#include "platform/byte_source.h"

namespace rescuva::disk {

class FileSource : public platform::ByteSource {
 public:
  // `image` outlives the source.
  FileSource(const platform::ByteSource& image, DiskFile file)
      : image_(image), file_(std::move(file)) {}
  uint64_t Length() const override { return file_.size; }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override;

 private:
  const platform::ByteSource& image_;
  DiskFile file_;
};

}  // namespace rescuva::disk
