// A raw image written in numbered segments (disk.001, disk.002, ...), read as one
// run of bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/source_file.h"

namespace rescuva::platform {

class SplitRawImage : public ByteSource {
 public:
  // The segments that follow `first` (whose name ends in a number such as .001), in
  // order, as far as they go on without a gap.
  static std::vector<std::string> SegmentsOf(const std::string& first);

  // Opens every segment; false (and `error` says which and why) when one cannot be.
  bool Open(const std::vector<std::string>& segments, std::string& error);
  size_t SegmentCount() const { return files_.size(); }

  uint64_t Length() const override { return length_; }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override;

 private:
  std::vector<std::unique_ptr<SourceFile>> files_;
  std::vector<uint64_t> starts_;  // where each segment begins in the image
  uint64_t length_ = 0;
};

}  // namespace rescuva::platform
