// File names for saved messages: made from the subject and the offset, valid on
// every platform, and never the name of a file that exists already.
#pragma once

#include <cstdint>
#include <string>

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

// Creates a new folder "stem", or "stem (2)", ... in `parent` and returns its path;
// empty with the system's reason in `error` when none could be created.
std::string CreateUniqueFolder(const std::string& parent, const std::string& stem,
                               std::string& error);

// The path "stem.ext" in `folder`, or "stem (2).ext", ... : the first name no file has.
std::string FreeFileName(const std::string& folder, const std::string& stem,
                         const std::string& extension);

}  // namespace rescuva::saving
