// Writes a new message folder file that this engine and Outlook Express read: each
// message's text in 512-byte blocks with its message-info record as it arrives, and
// at checkpoints the index tree (at most 51 entries a node) and the header, so that
// the file lists every message up to the last checkpoint at any moment.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/file_info_block.h"
#include "engine/folder_file_header.h"
#include "engine/windows_1252.h"
#include "platform/scratch_files.h"

namespace rescuva::engine {

// What the message-info record says of a message besides where its text starts.
// Texts are UTF-8; the file stores them in the Windows-1252 code page.
struct MessageInfo {
  std::optional<int64_t> sent_time;      // seconds since 1970-01-01 UTC
  std::optional<int64_t> received_time;  // seconds since 1970-01-01 UTC
  std::string subject;
  std::string message_id;
  std::string sender_name;
  std::string sender_address;
  std::string receiver_name;
  std::string receiver_address;
  std::optional<uint32_t> flags;  // the source record's flags, when it had a record
};

// Where a writer puts bytes: an absolute offset and what goes there.
using PutBytes = std::function<bool(uint64_t offset, std::span<const uint8_t> bytes)>;

// The message-info record at `at` for a message whose text of `size` bytes starts at
// block `first_block`; `index` is its running number.
std::vector<uint8_t> BuildMessageInfoRecord(const MessageInfo& info, uint32_t index,
                                            uint32_t first_block, uint64_t size, uint32_t at);

// Where the next index node goes.
using NodePlace = std::function<uint32_t()>;

// How many nodes the index tree of `records` messages has.
size_t IndexNodeCount(size_t records);

// Writes an index tree listing `records` in order, each node where `place` says;
// returns the root node's offset.
uint32_t WriteIndexTree(std::span<const uint32_t> records, const NodePlace& place,
                        const PutBytes& put);
// The same with the nodes one after another from offset `end` on, advancing `end`.
uint32_t WriteIndexTree(std::span<const uint32_t> records, uint64_t& end, const PutBytes& put);

class FolderFileWriter {
 public:
  // Creates the file with its file-info block; never replaces an existing one.
  bool Create(const std::string& path, const FileInfoBlock& info = {});
  // The same for the file `name` in the open folder `folder_fd`.
  bool CreateIn(int folder_fd, const std::string& name, const FileInfoBlock& info = {});
  // A message is its text in pieces between BeginMessage and EndMessage. EndMessage
  // is false (and nothing of the message is indexed) when it had no text.
  void BeginMessage();
  bool AppendText(std::span<const uint8_t> text);
  bool EndMessage(const MessageInfo& info);
  // Writes the index and the header and closes the file: the messages ended so far
  // form a complete folder file.
  bool Finish();
  size_t MessageCount() const { return records_.size(); }
  // The messages the index on disk names: those up to the last checkpoint written whole.
  size_t IndexedCount() const { return indexed_; }
  // Why the last write failed.
  std::string Error() const { return file_.Error(); }

  // A checkpoint comes after this many messages at most, or an eighth of those written
  // before when that is more (a checkpoint writes the whole index, so their cost stays
  // in proportion to the messages), or after this long.
  static constexpr size_t kCheckpointMessages = 1000;
  static constexpr std::chrono::milliseconds kCheckpointInterval{1000};

 private:
  static FolderFileHeader EmptyHeader();
  void FlushBlock(bool last);
  bool Put(uint64_t offset, std::span<const uint8_t> bytes);
  bool Checkpoint();
  bool ReserveIndex(size_t records);

  platform::OutputFile file_;
  uint64_t end_ = 0;
  bool failed_ = false;
  std::vector<uint32_t> records_;
  std::vector<uint8_t> block_;
  std::vector<uint8_t> pending_;  // the message's blocks and record, written at its end
  uint32_t first_block_ = 0;
  uint64_t message_size_ = 0;
  // Index nodes are written in turn into two sets of places, each taken in advance for
  // one more message than are written: a checkpoint never writes over the index the
  // header names until its own header replaces it.
  std::vector<uint32_t> node_places_[2];
  int next_places_ = 0;
  size_t since_checkpoint_ = 0;
  size_t indexed_ = 0;
  std::chrono::steady_clock::time_point last_checkpoint_;
};

}  // namespace rescuva::engine
