// Writes folder files the way Outlook Express leaves them after use: message blocks
// on 0x210-byte slots, optionally scattered over the file, deleted messages with the
// marks Outlook Express leaves, and an index of the others. For the sample and the
// benchmarks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "engine/folder_file_writer.h"

namespace rescuva::bench {

struct GeneratedMessage {
  std::string text;
  bool deleted = false;
  // The second block names an offset past the end of the file: the chain breaks off.
  bool broken_chain = false;
  engine::MessageInfo info;
};

// Message i of `count`; called twice for each i with the same result.
using MessageSource = std::function<GeneratedMessage(size_t i)>;

// How the blocks lie: `max_run` 0 keeps each message's blocks together in message
// order; otherwise each message is cut into runs of 1 to `max_run` blocks (1: every
// block on its own) and the runs of all messages are spread over the file.
// With `folder_name`, the file carries a file-info block naming its folder so.
struct Layout {
  unsigned max_run = 0;
  std::string folder_name;
};

// False when the file cannot be written.
bool WriteGeneratedFolder(const std::string& path, size_t count, const MessageSource& source,
                          Layout layout);

}  // namespace rescuva::bench
