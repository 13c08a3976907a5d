#include "report/report_file.h"

namespace rescuva::report {
namespace {

constexpr size_t kFlushSize = 1 << 20;

}  // namespace

ReportFile& ReportFile::operator<<(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kFlushSize) Flush();
  return *this;
}

bool ReportFile::Flush() {
  if (!failed_ && !buffer_.empty()) {
    failed_ = !file_.Write({reinterpret_cast<const uint8_t*>(buffer_.data()), buffer_.size()});
  }
  buffer_.clear();
  return !failed_;
}

}  // namespace rescuva::report
