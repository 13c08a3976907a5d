// File names for saved messages: made from the subject and the offset, valid on
// every platform, and never the name of a file that exists already.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/output_folder.h"
#include "platform/scratch_files.h"

namespace rescuva::saving {

// The subject made safe as a file name: no path separators, reserved characters,
// control characters, trailing dots or blanks, or reserved device names; at most
// `most` bytes (80 unless said), cut on a character boundary; "message" when nothing
// is left.
std::string SafeFileStem(const std::string& subject, size_t most = 80);

// The name a folder file gives its folder: the one its file-info block holds, else its
// file name without the extension.
std::string FolderNameOf(const std::string& folder_file);

// Creates a new file "stem.ext" in `folder`, or "stem (2).ext", "stem (3).ext", ... when
// the name is taken, and returns its name; empty when none could be created.
std::string CreateUniqueFile(const platform::OutputFolder& folder, const std::string& stem,
                             const std::string& extension, platform::OutputFile& file);

// Writes `bytes` as a new file "stem.ext" in `folder` (numbered when the name is
// taken), dated `date`, and returns its name; empty, with `error` set, when it could
// not be written whole: no piece of it stays. `undated` receives why the date could not
// be set, when it could not.
std::string WriteDatedFile(const platform::OutputFolder& folder, const std::string& stem,
                           const std::string& extension, std::span<const uint8_t> bytes,
                           std::optional<int64_t> date, std::string& error, std::string* undated);

// Files of one folder that could not be dated as their messages, told in one note.
class UndatedFiles {
 public:
  void Add(const std::string& why) {
    if (!why.empty() && count_++ == 0) first_why_ = why;
  }
  std::vector<std::string> Notes(const std::string& folder) const {
    if (count_ == 0) return {};
    return {std::to_string(count_) + " files in " + folder +
            " could not be dated as their messages (" + first_why_ + ")"};
  }

 private:
  size_t count_ = 0;
  std::string first_why_;
};

// Creates a new folder "stem", or "stem (2)", ... in `parent` and returns its path;
// empty with the system's reason in `error` when none could be created.
std::string CreateUniqueFolder(const std::string& parent, const std::string& stem,
                               std::string& error);

// The path "stem.ext" in `folder`, or "stem (2).ext", ... : the first name no file has.
std::string FreeFileName(const std::string& folder, const std::string& stem,
                         const std::string& extension);

}  // namespace rescuva::saving
