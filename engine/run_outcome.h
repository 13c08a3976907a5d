// How a recovery run ended, and the messages it found but could not hand over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescuva::engine {

enum class RunEnding {
  kDone,
  kStopped,     // the stop flag was set
  kCannotOpen,  // the folder file could not be opened; nothing was read
  kReadError,   // reading the folder file failed; the run ended as a stop does
};

struct MessageProblem {
  uint64_t offset = 0;  // first block of the message's chain
  std::string reason;
};

struct RunOutcome {
  RunEnding ending = RunEnding::kDone;
  // Messages whose scratch copy could not be written: their number, and the first
  // of them by name.
  uint64_t not_written = 0;
  std::vector<MessageProblem> problems;
  // What the user must know of the file beyond its messages: a part that was not read,
  // an index that could not be.
  std::vector<std::string> notes;
};

// At most this many problems are kept by name; the count goes on.
inline constexpr size_t kNamedProblems = 100;

}  // namespace rescuva::engine
