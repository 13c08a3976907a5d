// One file of a report, written as it is made: text gathers in a buffer that goes to
// disk a megabyte at a time, so a report of many messages needs little memory.
#pragma once

#include <string>
#include <string_view>

#include "platform/scratch_files.h"

namespace rescuva::report {

class ReportFile {
 public:
  explicit ReportFile(platform::OutputFile& file) : file_(file) {}
  ReportFile& operator<<(std::string_view text);
  // Writes what is gathered; false when a write failed (then or before).
  bool Flush();

 private:
  platform::OutputFile& file_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace rescuva::report
