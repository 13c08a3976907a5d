// The scratch folder of one recovery session: made fresh inside this user's private
// folder, locked for as long as it lives, and removed with everything in it when the
// session ends. Folders whose owner no longer runs are removed by the next start.
#pragma once

#include <string>

namespace rescuva::platform {

class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  // False when no folder could be made; Error() then says why.
  bool IsReady() const { return lock_fd_ >= 0; }
  // Ends in '/'. When the folder could not be made, a name in this user's folder
  // that nothing is written to: every file made there fails.
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
  int lock_fd_ = -1;
};

// Removes the scratch folders of this user whose process has ended.
void RemoveStaleScratchFolders();
// Removes every scratch folder this process still holds: for an exit that runs no
// destructors.
void RemoveOwnScratchFolders();

}  // namespace rescuva::platform
