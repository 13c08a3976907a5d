// One running copy per machine: an exclusive, non-blocking lock on a file named after
// the application's identifier in the system temporary folder, released by the
// system when the process ends.
#pragma once

#include <string>

namespace rescuva::platform {

class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();
  // False when another process holds the lock.
  bool First() const { return first_; }

 private:
  int fd_ = -1;
  bool first_ = false;
};

}  // namespace rescuva::platform
