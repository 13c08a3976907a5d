#include "platform/source_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/guarded_copy.h"

namespace rescuva::platform {

SourceFile::~SourceFile() {
  Close();
}

namespace {

// Reads up to this size are copied from the mapping; larger ones (the block scan's
// windows) are read as before, and do not make the whole file resident in our memory.
constexpr size_t kMappedReadLimit = 64 << 10;

// True when another process holds a record lock on any part of the file. Our own
// lock is an open-file-description lock, which this test does not count.
bool RecordLocked(int fd) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;
  if (probe.l_type != F_UNLCK) return true;
  probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  return ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

// A shared record lock of our own, so that a program that locks before it writes
// sees the file in use. Only a lock held by another program refuses the file; a file
// system without record locks (some network and image mounts) does not.
bool HoldReadLock(int fd) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES);
}

}  // namespace

// The file is opened without waiting (a FIFO or a device would block an ordinary
// open) and refused unless it is a regular file (or an allowed block device) nobody
// else holds locked.
bool SourceFile::Open(const std::string& path, bool devices) {
  Close();
  open_error_.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    open_error_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  uint64_t length = 0;
  if (::fstat(fd, &st) != 0) {
    open_error_ = std::strerror(errno);
  } else if (devices && S_ISBLK(st.st_mode)) {
    if (::ioctl(fd, BLKGETSIZE64, &length) != 0) open_error_ = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    open_error_ = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
  } else {
    length = static_cast<uint64_t>(st.st_size);
  }
  if (open_error_.empty() &&
      (::flock(fd, LOCK_EX | LOCK_NB) != 0 || RecordLocked(fd) || !HoldReadLock(fd))) {
    open_error_ = "in use by another program";
  }
  if (!open_error_.empty()) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  length_ = length;
  if (S_ISREG(st.st_mode) && length > 0 && length <= SIZE_MAX) {
    void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped != MAP_FAILED) mapped_ = static_cast<const uint8_t*>(mapped);
  }
  return true;
}

uint64_t SourceFile::NextData(uint64_t position) const {
  if (fd_ < 0 || position >= length_) return length_;
  const off_t data = ::lseek(fd_, static_cast<off_t>(position), SEEK_DATA);
  if (data < 0) return errno == ENXIO ? length_ : position;  // no data after it, or no answer
  return std::min<uint64_t>(static_cast<uint64_t>(data), length_);
}

void SourceFile::Close() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(mapped_), length_);
  mapped_ = nullptr;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  length_ = 0;
}

bool SourceFile::ReadAt(uint64_t position, std::span<uint8_t> out) const {
  if (fd_ < 0) return false;
  size_t inside = 0;
  if (position < length_)
    inside = static_cast<size_t>(std::min<uint64_t>(out.size(), length_ - position));
  // a page the file no longer holds is read again below, where it reads as zero
  if (mapped_ && inside == out.size() && inside <= kMappedReadLimit &&
      GuardedCopy(out.data(), mapped_ + position, inside)) {
    return true;
  }
  size_t done = 0;
  while (done < inside) {
    ssize_t n = ::pread(fd_, out.data() + done, inside - done, static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank: the rest reads as zero
    done += static_cast<size_t>(n);
  }
  if (done < out.size()) std::memset(out.data() + done, 0, out.size() - done);
  return true;
}

}  // namespace rescuva::platform
