// Where a message's bytes came from and what was changed in them: the runs of the
// source its text was copied from, in message order, and each spot mended on the way.
// Examiners read it back from the source and repeat the mends to get the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace rescuva::engine {

// `length` bytes of the message from `message_offset` on lie at `position` in the
// source.
struct ByteRun {
  uint64_t position = 0;
  uint64_t message_offset = 0;
  uint64_t length = 0;
  bool operator==(const ByteRun&) const = default;
};

enum class MendKind {
  kNulReplaced,         // NUL bytes of a damaged chain became '_'
  kLostBytesMarked,     // the bytes a freed block lost became "????"
  kBase64Filled,        // those bytes became base64 characters that keep the lines whole
  kHeaderNameRestored,  // those bytes became the first header's name again
  kZerosCut,            // the unused zero bytes of a freed last block were left out
  kPastEnd,             // bytes of a block that would lie past the end of the source: zero
};

constexpr const char* MendText(MendKind kind) {
  switch (kind) {
    case MendKind::kNulReplaced:
      return "NUL bytes replaced by '_'";
    case MendKind::kLostBytesMarked:
      return "bytes lost to deletion marked \"????\"";
    case MendKind::kBase64Filled:
      return "bytes lost to deletion filled with base64 characters";
    case MendKind::kHeaderNameRestored:
      return "the first header's name restored";
    case MendKind::kZerosCut:
      return "unused zero bytes at the end left out";
    case MendKind::kPastEnd:
      return "bytes past the end of the source read as zero";
  }
  return "";
}

// `length` bytes from `at` (in the text as copied from the runs) were changed as
// `kind` says; kZerosCut leaves out everything from `at` on, and kPastEnd bytes are no
// run's.
struct Mend {
  uint64_t at = 0;
  uint64_t length = 0;
  MendKind kind = MendKind::kNulReplaced;
  bool operator==(const Mend&) const = default;
};

struct ChainTrace {
  std::vector<ByteRun> runs;
  std::vector<Mend> mends;

  void Clear() {
    runs.clear();
    mends.clear();
  }
  // `length` bytes of the message from `offset` on lie at `position`; a run that goes on
  // where the last one ended, in the source and in the message, joins it.
  void AddRun(uint64_t position, uint64_t offset, uint64_t length) {
    if (length == 0) return;
    if (!runs.empty() && runs.back().position + runs.back().length == position &&
        runs.back().message_offset + runs.back().length == offset) {
      runs.back().length += length;
      return;
    }
    runs.push_back({position, offset, length});
  }
};

}  // namespace rescuva::engine
