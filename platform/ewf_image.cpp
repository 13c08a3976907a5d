#include "platform/ewf_image.h"

#include <libewf.h>

#include <cstring>
#include <filesystem>

namespace rescuva::platform {

struct EwfImage::Handle {
  libewf_handle_t* ewf = nullptr;
};

namespace {

// The library's reason, freeing its error.
std::string TextOf(libewf_error_t*& error) {
  if (!error) return "unknown error";
  char text[512] = {};
  libewf_error_sprint(error, text, sizeof text);
  libewf_error_free(&error);
  error = nullptr;
  std::string line(text);
  // the library's last line names the cause; earlier ones name its own functions
  if (const size_t cut = line.find_last_of('\n', line.size() > 1 ? line.size() - 2 : 0);
      cut != std::string::npos) {
    line = line.substr(cut + 1);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '.')) line.pop_back();
  return line;
}

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

// The name of the segment after `last` (.E01 -> .E02), empty past .E99.
std::string NextSegment(const std::string& last) {
  const std::string extension = std::filesystem::path(last).extension().string();
  if (extension.size() != 4 || extension[2] < '0' || extension[2] > '9' || extension[3] < '0' ||
      extension[3] > '9') {
    return {};
  }
  const int number = (extension[2] - '0') * 10 + (extension[3] - '0') + 1;
  if (number > 99) return {};
  std::string next = extension.substr(0, 2);
  next += static_cast<char>('0' + number / 10);
  next += static_cast<char>('0' + number % 10);
  return next;
}

// Whether a segment a few places after `last` exists, though the one right after it
// does not.
bool LaterSegmentExists(const std::string& last) {
  std::string name = last;
  for (int i = 0; i < 8; ++i) {
    const std::string next = NextSegment(name);
    if (next.empty()) return false;
    name = std::filesystem::path(name).replace_extension(next).string();
    std::error_code ec;
    if (i > 0 && std::filesystem::exists(name, ec)) return true;
  }
  return false;
}

}  // namespace

EwfImage::~EwfImage() {
  Close();
}

void EwfImage::Close() {
  if (!handle_) return;
  libewf_handle_close(handle_->ewf, nullptr);
  libewf_handle_free(&handle_->ewf, nullptr);
  delete handle_;
  handle_ = nullptr;
}

bool EwfImage::Open(const std::string& path, std::string& error) {
  Close();
  libewf_error_t* failure = nullptr;
  char** names = nullptr;
  int count = 0;
  if (libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &failure) !=
      1) {
    error = "its segments cannot be found (" + TextOf(failure) + ")";
    return false;
  }
  const std::string last = count > 0 ? names[count - 1] : path;
  handle_ = new Handle;
  bool opened = libewf_handle_initialize(&handle_->ewf, &failure) == 1 &&
                libewf_handle_open(handle_->ewf, names, count, LIBEWF_OPEN_READ, &failure) == 1;
  libewf_glob_free(names, count, nullptr);
  size64_t size = 0;
  opened = opened && libewf_handle_get_media_size(handle_->ewf, &size, &failure) == 1;
  // the segments are found in turn: a segment after a gap means the gap is missing;
  // a set whose last segment does not end the image opens, but reads fail past it
  const bool gap = opened && LaterSegmentExists(last);
  if (!opened || gap || libewf_handle_segment_files_corrupted(handle_->ewf, nullptr) == 1) {
    const std::string next = NextSegment(last);
    const std::string name = std::filesystem::path(last).extension().string();
    error = gap            ? "its segment " + next + " is missing"
            : next.empty() ? "it cannot be read (" + TextOf(failure) + ")"
                           : "its segment " + next + " is missing, or " + name + " is damaged";
    if (failure) libewf_error_free(&failure);
    Close();
    return false;
  }
  segments_ = count;
  length_ = size;
  uint8_t md5[16], sha1[20];
  if (libewf_handle_get_md5_hash(handle_->ewf, md5, sizeof md5, nullptr) == 1) {
    stored_.md5 = Hex(md5, sizeof md5);
  }
  if (libewf_handle_get_sha1_hash(handle_->ewf, sha1, sizeof sha1, nullptr) == 1) {
    stored_.sha1 = Hex(sha1, sizeof sha1);
  }
  return true;
}

bool EwfImage::ReadAt(uint64_t position, std::span<uint8_t> out) const {
  if (!handle_) return false;
  size_t done = 0;
  if (position < length_) {
    const size_t inside = static_cast<size_t>(std::min<uint64_t>(out.size(), length_ - position));
    std::lock_guard lock(mutex_);
    while (done < inside) {
      const ssize_t n = libewf_handle_read_random(handle_->ewf, out.data() + done, inside - done,
                                                  static_cast<off64_t>(position + done), nullptr);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
  }
  if (done < out.size()) std::memset(out.data() + done, 0, out.size() - done);
  return true;
}

}  // namespace rescuva::platform
