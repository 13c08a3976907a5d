// A byte source as The Sleuth Kit reads images: its volume and file-system readers
// then read the raw, split or EWF image, or the device, the program has opened itself.
#pragma once

#include <memory>

#include "platform/byte_source.h"

struct TSK_IMG_INFO;

namespace rescuva::disk {

class TskImage {
 public:
  // Nothing when The Sleuth Kit refuses it (an empty source).
  static std::unique_ptr<TskImage> Open(const platform::ByteSource& source);
  TskImage(const TskImage&) = delete;
  TskImage& operator=(const TskImage&) = delete;
  ~TskImage();

  TSK_IMG_INFO* Info() const;
  // The Sleuth Kit's image structure and the source it reads.
  struct Held;

 private:
  explicit TskImage(std::unique_ptr<Held> held);
  std::unique_ptr<Held> held_;
};

}  // namespace rescuva::disk
