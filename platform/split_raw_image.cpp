#include "platform/split_raw_image.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace rescuva::platform {

std::vector<std::string> SplitRawImage::SegmentsOf(const std::string& first) {
  const size_t dot = first.find_last_of('.');
  if (dot == std::string::npos || dot + 1 == first.size()) return {};
  const std::string digits = first.substr(dot + 1);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return {};
  }
  std::vector<std::string> segments;
  const unsigned long start = std::stoul(digits);
  for (unsigned long n = start;; ++n) {
    std::string number = std::to_string(n);
    if (number.size() > digits.size()) break;
    number.insert(0, digits.size() - number.size(), '0');
    const std::string path = first.substr(0, dot + 1) + number;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) break;
    segments.push_back(path);
  }
  return segments;
}

bool SplitRawImage::Open(const std::vector<std::string>& segments, std::string& error) {
  files_.clear();
  starts_.clear();
  length_ = 0;
  for (const std::string& path : segments) {
    auto file = std::make_unique<SourceFile>();
    if (!file->Open(path)) {
      error = "its segment " + std::filesystem::path(path).filename().string() +
              " cannot be opened (" + file->OpenError() + ")";
      files_.clear();
      return false;
    }
    starts_.push_back(length_);
    length_ += file->Length();
    files_.push_back(std::move(file));
  }
  return !files_.empty();
}

bool SplitRawImage::ReadAt(uint64_t position, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size() && position + done < length_) {
    const uint64_t at = position + done;
    const size_t i = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) -
                                         starts_.begin()) -
                     1;
    const uint64_t inside = files_[i]->Length() - (at - starts_[i]);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(out.size() - done, inside));
    if (n == 0) break;
    if (!files_[i]->ReadAt(at - starts_[i], out.subspan(done, n))) return false;
    done += n;
  }
  if (done < out.size()) std::memset(out.data() + done, 0, out.size() - done);
  return true;
}

}  // namespace rescuva::platform
