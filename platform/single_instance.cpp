#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace rescuva::platform {

SingleInstance::SingleInstance(const std::string& name) {
  const char* env = std::getenv("TMPDIR");
  std::string folder = env && *env ? env : "/tmp";
  if (folder.back() != '/') folder += '/';
  fd_ = ::open((folder + name + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  first_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace rescuva::platform
