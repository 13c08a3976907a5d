// The folder file, opened read only and locked against other programs. Every read
// carries its own offset, so two threads can read at once without sharing a position.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rescuva::platform {

class SourceFile {
 public:
  SourceFile() = default;
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile();

  // Opens a regular file read only with an exclusive, non-blocking lock. Fails for a
  // missing file, a folder, no permission, or a file another process holds locked.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Why the last Open failed, as text ("Permission denied", "in use by another
  // program"); empty after a successful one.
  const std::string& OpenError() const { return open_error_; }

  // The length as a 32-bit value: a file of 4 GiB or more reads as 0xFFFFFFFF bytes
  // long, since no 32-bit offset can point further.
  uint32_t Length() const { return length_; }
  // True when the file is longer than Length() says: what lies past it is not read.
  bool Clipped() const { return clipped_; }

  // Fills `out` with the bytes at `offset`; bytes past Length() read as zero.
  // False on an I/O error (the content of `out` is then unspecified).
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) const;

 private:
  int fd_ = -1;
  uint32_t length_ = 0;
  bool clipped_ = false;
  std::string open_error_;
};

}  // namespace rescuva::platform
