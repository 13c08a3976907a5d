#include "platform/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace rescuva::platform {

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

OutputFolder& OutputFolder::operator=(OutputFolder&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

OutputFolder::~OutputFolder() {
  Close();
}

void OutputFolder::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool OutputFolder::Open(const std::string& path) {
  Close();
  path_ = path;
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  error_ = fd_ >= 0 ? "" : "cannot open the folder " + path + ": " + std::strerror(errno);
  return fd_ >= 0;
}

bool OutputFolder::Enter(const std::string& name, OutputFolder& inner) {
  const std::string path = path_ + (path_.ends_with('/') ? "" : "/") + name;
  if (::mkdirat(fd_, name.c_str(), 0777) != 0 && errno != EEXIST) {
    error_ = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int why = errno;
    struct stat st {};
    const bool link =
        ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    error_ = link ? path + " is a link: nothing is written through it"
                  : "cannot open " + path + ": " + std::strerror(why);
    return false;
  }
  inner.Close();
  inner.fd_ = fd;
  inner.path_ = path;
  inner.error_.clear();
  return true;
}

}  // namespace rescuva::platform
