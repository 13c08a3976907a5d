#include "platform/scratch_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "platform/scratch_files.h"

namespace rescuva::platform {
namespace {

// A session folder is made as "new-<pid>-XXXXXX", gets its lock file locked, and only
// then takes its name "session-<pid>-XXXXXX": a folder of that name is always locked
// while its owner runs.
constexpr const char* kNewPrefix = "new-";
constexpr const char* kSessionPrefix = "session-";
constexpr const char* kLockName = ".lock";

std::mutex own_mutex;
std::set<std::string>& OwnFolders() {
  static std::set<std::string> folders;
  return folders;
}

// Removes a folder tree without following links; the tree is ours and flat.
void RemoveTree(const std::string& path) {
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string child = path + "/" + name;
      struct stat st {};
      if (::lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        RemoveTree(child);
      } else {
        ::unlink(child.c_str());
      }
    }
    ::closedir(dir);
  }
  ::rmdir(path.c_str());
}

// The process number in "<prefix><pid>-XXXXXX"; 0 when the name has none.
pid_t OwnerOf(const std::string& name, const std::string& prefix) {
  const char* digits = name.c_str() + prefix.size();
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  return end != digits && *end == '-' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

bool ProcessRuns(pid_t pid) {
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// True when nobody holds the folder's lock (its owner ended without removing it).
bool Unlocked(const std::string& folder) {
  const int fd = ::open((folder + "/" + kLockName).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  const std::string root = PrivateTempFolder();
  path_ = root + "unavailable-" + std::to_string(::getpid()) + "/";
  std::string pattern = root + kNewPrefix + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) {
    error_ = std::string("cannot make a folder in ") + root + ": " + std::strerror(errno);
    return;
  }
  const std::string made = name.data();
  const int fd = ::open((made + "/" + kLockName).c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  const std::string final_path =
      root + kSessionPrefix + made.substr(root.size() + std::strlen(kNewPrefix));
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      ::rename(made.c_str(), final_path.c_str()) != 0) {
    error_ = std::string("cannot prepare a folder in ") + root + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    RemoveTree(made);
    return;
  }
  lock_fd_ = fd;
  path_ = final_path + "/";
  std::lock_guard lock(own_mutex);
  OwnFolders().insert(final_path);
}

ScratchFolder::~ScratchFolder() {
  if (lock_fd_ < 0) return;
  const std::string folder = path_.substr(0, path_.size() - 1);
  {
    std::lock_guard lock(own_mutex);
    OwnFolders().erase(folder);
  }
  RemoveTree(folder);
  ::close(lock_fd_);
}

void RemoveStaleScratchFolders() {
  const std::string root = PrivateTempFolder();
  DIR* dir = ::opendir(root.c_str());
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.starts_with(kSessionPrefix)) {
      if (Unlocked(root + name)) stale.push_back(name);
    } else if (name.starts_with(kNewPrefix)) {
      if (!ProcessRuns(OwnerOf(name, kNewPrefix))) stale.push_back(name);
    }
  }
  ::closedir(dir);
  for (const std::string& name : stale) RemoveTree(root + name);
}

void RemoveOwnScratchFolders() {
  std::lock_guard lock(own_mutex);
  for (const std::string& folder : OwnFolders()) RemoveTree(folder);
  OwnFolders().clear();
}

}  // namespace rescuva::platform
