#include "platform/scratch_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace rescuva::platform {
namespace {

constexpr int kPrivateFolderNames = 16;

bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    return false;
  }
  return (st.st_mode & 0777) == 0700 || ::chmod(path.c_str(), 0700) == 0;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes, const uint64_t* at) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n =
        at ? ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(*at + done))
           : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string PrivateTempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string base = env && *env ? env : "/tmp";
  if (base.back() != '/') base += '/';
  return PrivateFolderIn(base);
}

// The names are tried in a fixed order, so that every start finds the same folder
// (and what a killed run left there) even when another user took the first name.
std::string PrivateFolderIn(const std::string& base) {
  const std::string first = base + "rescuva-" + std::to_string(::geteuid());
  for (int n = 0; n < kPrivateFolderNames; ++n) {
    const std::string folder = n == 0 ? first : first + "-" + std::to_string(n);
    ::mkdir(folder.c_str(), 0700);
    if (IsPrivateFolder(folder)) return folder + "/";
  }
  return first + "/";  // every name taken: creating files there fails and says so
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsWritableFolder(const std::string& folder) {
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

OutputFile::~OutputFile() {
  Close();
}

bool OutputFile::Create(const std::string& path, bool exclusive) {
  return CreateIn(AT_FDCWD, path, exclusive);
}

bool OutputFile::CreateIn(int folder_fd, const std::string& name, bool exclusive) {
  Close();
  int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (exclusive ? O_EXCL : 0);
  fd_ = ::openat(folder_fd, name.c_str(), flags, 0600);
  fresh_ = exclusive;
  size_ = 0;
  error_ = fd_ >= 0 ? 0 : errno;
  return fd_ >= 0;
}

bool OutputFile::NameInTheWay() const {
  switch (error_) {
    case EEXIST:
    case EISDIR:
    case ETXTBSY:
    case EACCES:
    case EPERM:
    case ELOOP:
    case EBUSY:
      return true;
    default:
      return false;
  }
}

std::string OutputFile::Error() const {
  return std::strerror(error_);
}

// An append that fails (a full disk, a size limit) is taken back whole: what was
// written before it stays as it was, without a piece of it.
bool OutputFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) return false;
  if (!WriteAll(fd_, bytes, nullptr)) {
    error_ = errno;
    if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) {
      ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
    }
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool OutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  if (fd_ < 0) return false;
  if (!WriteAll(fd_, bytes, &offset)) {
    error_ = errno;
    return false;
  }
  size_ = std::max<uint64_t>(size_, offset + bytes.size());
  return true;
}

bool OutputFile::CutTo(uint64_t size) {
  if (fd_ < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) return false;
  size_ = std::min(size_, size);
  return true;
}

bool OutputFile::SetModificationTime(int64_t seconds) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
  if (fd_ >= 0 && ::futimens(fd_, times) == 0) return true;
  error_ = errno;
  return false;
}

bool OutputFile::Close(bool cut) {
  if (fd_ < 0) return true;
  const bool cut_done = !cut || fresh_ || ::ftruncate(fd_, static_cast<off_t>(size_)) == 0;
  if (!cut_done) error_ = errno;
  const bool closed = ::close(std::exchange(fd_, -1)) == 0;
  if (!closed) error_ = errno;
  return closed && cut_done;
}

}  // namespace rescuva::platform
