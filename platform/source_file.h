// A file or a block device, opened read only and locked against other programs. A
// regular file is also mapped into memory, so that the many small reads of following
// chains are copies, not system calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/byte_source.h"

namespace rescuva::platform {

class SourceFile : public ByteSource {
 public:
  SourceFile() = default;
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile() override;

  // Opens a regular file (or, when `devices`, a block device) read only with an
  // exclusive, non-blocking lock. Fails for a missing file, a folder, no permission,
  // or a file another process holds locked.
  bool Open(const std::string& path, bool devices = false);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Why the last Open failed, as text ("Permission denied", "in use by another
  // program"); empty after a successful one.
  const std::string& OpenError() const { return open_error_; }

  uint64_t Length() const override { return length_; }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override;
  uint64_t NextData(uint64_t position) const override;

 private:
  int fd_ = -1;
  uint64_t length_ = 0;
  const uint8_t* mapped_ = nullptr;  // the whole file, when it could be mapped
  std::string open_error_;
};

}  // namespace rescuva::platform
