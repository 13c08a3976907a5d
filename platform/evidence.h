// Opens what the user named as a source of mail: a file, a block device, a raw image
// in numbered segments or an EWF image, told apart by content. An image format the
// program cannot read is named, never read as if it held nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/byte_source.h"

namespace rescuva::platform {

struct Evidence {
  std::unique_ptr<ByteSource> source;  // null when it cannot be read
  // What it is when more than a plain file ("an EWF image of 3 segments"); empty for
  // a file.
  std::string kind;
  // Why it cannot be read, when it is recognised but unreadable ("an EWF image, but
  // its segment .E02 is missing or damaged"); empty for a plain open failure.
  std::string problem;
  std::string open_error;  // the system's reason when the file itself cannot be opened
};

Evidence OpenEvidence(const std::string& path);

}  // namespace rescuva::platform
