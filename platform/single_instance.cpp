#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
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
SingleInstance::SingleInstance(const std::string& name) : SingleInstance(name, LockFolders()) {}

SingleInstance::SingleInstance(const std::string& name, const std::vector<std::string>& folders) {
  std::vector<std::string> locked;  // one lock a file: a second would meet the first
  for (const std::string& folder : folders) {
    std::string path = folder + name + ".lock";
    int fd = OpenLockFile(path);
    if (fd < 0) {
      path = PrivateFolderIn("/tmp/") + name + ".lock";
      fd = OpenLockFile(path);
    }
    if (fd < 0) continue;
    if (std::find(locked.begin(), locked.end(), path) != locked.end()) {
      ::close(fd);
      continue;
    }
    locked.push_back(path);
    fds_.push_back(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) first_ = false;
  }
}

SingleInstance::~SingleInstance() {
  for (int fd : fds_) ::close(fd);
}

std::vector<std::string> SingleInstance::LockFolders() {
  std::vector<std::string> folders{"/tmp/"};
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string session = runtime && *runtime ? runtime : "";
  if (!session.empty() && session.back() != '/') session += '/';
  struct stat st {};
  if (session.empty() || ::stat(session.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      st.st_uid != ::geteuid()) {
    session = PrivateFolderIn("/tmp/");
  }
  folders.push_back(session);
  return folders;
}

}  // namespace rescuva::platform
