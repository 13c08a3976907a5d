#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/scratch_files.h"

namespace rescuva::platform {

namespace {

// Opens the lock file if it is a regular file: read-write when it is ours or new,
// read only when another user left it (a lock needs no write access).
int OpenLockFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0 && errno == EACCES)
    fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

}  // namespace

// Only a lock held by a running copy refuses the start. A lock file that cannot be
// used (another user's that we may not open, a link, not a file) says nothing about
// a running copy: the guard falls back to a lock file in this user's own folder.
SingleInstance::SingleInstance(const std::string& name) {
  const char* env = std::getenv("TMPDIR");
  std::string folder = env && *env ? env : "/tmp";
  if (folder.back() != '/') folder += '/';
  fd_ = OpenLockFile(folder + name + ".lock");
  if (fd_ < 0) fd_ = OpenLockFile(PrivateTempFolder() + name + ".lock");
  first_ = fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace rescuva::platform
