#include "disk/tsk_image.h"

#include <tsk/libtsk.h>

#include <algorithm>
#include <span>

namespace rescuva::disk {

// The Sleuth Kit's image structure first, so that its callbacks find the source.
struct TskImage::Held {
  TSK_IMG_INFO info;
  const platform::ByteSource* source;
};

namespace {

ssize_t ReadImage(TSK_IMG_INFO* info, TSK_OFF_T offset, char* buffer, size_t length) {
  const auto* held = reinterpret_cast<const TskImage::Held*>(info);
  if (offset < 0) return -1;
  const uint64_t size = held->source->Length();
  const auto at = static_cast<uint64_t>(offset);
  if (at >= size) return 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(length, size - at));
  if (!held->source->ReadAt(at, {reinterpret_cast<uint8_t*>(buffer), n})) {
    tsk_error_reset();
    tsk_error_set_errno(TSK_ERR_IMG_READ);
    tsk_error_set_errstr("the image could not be read at %lld", static_cast<long long>(offset));
    return -1;
  }
  return static_cast<ssize_t>(n);
}

// The memory is the TskImage's own; closing has nothing to free.
void CloseImage(TSK_IMG_INFO*) {}

void ImageStat(TSK_IMG_INFO*, FILE*) {}

}  // namespace

TskImage::TskImage(std::unique_ptr<Held> held) : held_(std::move(held)) {}

std::unique_ptr<TskImage> TskImage::Open(const platform::ByteSource& source) {
  if (source.Length() == 0) return nullptr;
  // the structure holds The Sleuth Kit's read cache: two megabytes, zeroed
  auto held = std::make_unique<Held>();
  held->source = &source;
  if (!tsk_img_open_external(&held->info, static_cast<TSK_OFF_T>(source.Length()), 512, ReadImage,
                             CloseImage, ImageStat)) {
    return nullptr;
  }
  return std::unique_ptr<TskImage>(new TskImage(std::move(held)));
}

TskImage::~TskImage() {
  tsk_img_close(&held_->info);
}

TSK_IMG_INFO* TskImage::Info() const {
  return &held_->info;
}

}  // namespace rescuva::disk
