// A folder that outputs are written below, held open: the folders inside it are made
// and entered one name at a time relative to it, never through a link, so nothing is
// ever written outside it whatever was planted there.
#pragma once

#include <string>

namespace rescuva::platform {

class OutputFolder {
 public:
  OutputFolder() = default;
  OutputFolder(OutputFolder&& other) noexcept;
  OutputFolder& operator=(OutputFolder&& other) noexcept;
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;
  ~OutputFolder();

  // Opens the destination the user chose (which may itself be named through a link);
  // false with Error() set when it is no folder that can be opened.
  bool Open(const std::string& path);
  // Makes the folder `name` here when it is missing and opens it into `inner`. A link,
  // a file or anything else of that name is refused and named in Error(); nothing is
  // made or written through it.
  bool Enter(const std::string& name, OutputFolder& inner);
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  // The folder's path, for messages and for names of files in it.
  const std::string& Path() const { return path_; }
  // Why the last Open or Enter failed, with the system's reason.
  const std::string& Error() const { return error_; }

 private:
  void Close();

  int fd_ = -1;
  std::string path_;
  std::string error_;
};

}  // namespace rescuva::platform
