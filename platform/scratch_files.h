// Files the system writes: the private temporary folder and output files that are
// created without following links.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rescuva::platform {

// A folder of this user's own (mode 0700) inside TMPDIR or /tmp, created when
// missing, ending in '/': "rescuva-UID", or when that name is a link, is not this
// user's or cannot be made private, "rescuva-UID-1", "-2", ... in that order, so every
// start finds the same one.
std::string PrivateTempFolder();
// The same inside `base` (ending in '/'), whatever TMPDIR says.
std::string PrivateFolderIn(const std::string& base);

// True when something of that name exists (a dangling link counts).
bool PathExists(const std::string& path);
// True when files can be made in the folder.
bool IsWritableFolder(const std::string& folder);
// Removes a file or link (never follows it). True when it is gone.
bool RemoveFile(const std::string& path);

// A file written by the system. Creation never follows a link in the last path
// component; `exclusive` refuses to replace an existing file. A replaced file is
// written over in place and cut to the new length when it is closed: emptying it
// first would make some file systems flush it to disk at every replacement.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool Create(const std::string& path, bool exclusive);
  // The same for the file `name` in the open folder `folder_fd` (its path given for
  // messages).
  bool CreateIn(int folder_fd, const std::string& name, bool exclusive);
  // Stamps the file with `seconds` since 1970 as its modification time; call it after
  // the last write.
  bool SetModificationTime(int64_t seconds);
  bool IsOpen() const { return fd_ >= 0; }
  // What the system said of the last creation or write that failed, as text.
  std::string Error() const;
  // True when the last creation failed for the name alone (a file, folder or link of
  // that name is in the way), so that another name in the same folder may work.
  bool NameInTheWay() const;
  // Appends at the end of what was written so far; an append that fails leaves none
  // of its bytes in the file.
  bool Write(std::span<const uint8_t> bytes);
  // Writes at an absolute offset without moving the append position.
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
  // Cuts the file to `size` bytes: what a failed write left past it goes.
  bool CutTo(uint64_t size);
  uint64_t Size() const { return size_; }
  // Closes; false when the system reports that the data may not all be written.
  // `cut` false leaves out cutting a replaced file to the new length, for a caller
  // that knows the old content was not longer. A file created exclusively is new and
  // never cut: cutting asks the file system to settle its pending writes first, which
  // made saving many small files wait on the journal.
  bool Close(bool cut = true);

 private:
  int fd_ = -1;
  bool fresh_ = false;  // created exclusively: nothing lies beyond what was written
  uint64_t size_ = 0;
  int error_ = 0;
};

}  // namespace rescuva::platform
