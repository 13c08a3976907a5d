// One running copy per machine and per user session: an exclusive, non-blocking lock on
// a file named after the application's identifier in the machine's temporary folder
// (/tmp) and another in the session's runtime folder, both released by the system when
// the process ends. TMPDIR plays no part: a copy started with another TMPDIR is refused
// all the same.
#pragma once

#include <string>
#include <vector>

namespace rescuva::platform {

class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  // The same with the lock files in `folders` (each ending in '/').
  SingleInstance(const std::string& name, const std::vector<std::string>& folders);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();
  // False when another process holds one of the locks.
  bool First() const { return first_; }

  // Where the locks lie: /tmp, and XDG_RUNTIME_DIR when it is a folder of this user's
  // own, else this user's private folder in /tmp.
  static std::vector<std::string> LockFolders();

 private:
  std::vector<int> fds_;
  bool first_ = true;
};

}  // namespace rescuva::platform
