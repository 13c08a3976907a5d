#include "engine/folder_file_writer.h"

#include <fcntl.h>

#include <algorithm>
#include <unordered_map>

#include "engine/file_time.h"
#include "engine/folder_file_header.h"
#include "engine/index_node.h"
#include "engine/message_block.h"
#include "engine/message_info_record.h"
#include "engine/windows_1252.h"

namespace rescuva::engine {
namespace {

constexpr size_t kMaxStoredText = 1000;
constexpr uint32_t kFlagsReadAndDownloaded = 0x81;
constexpr uint32_t kBodyDownloaded = 0x01;

enum Attribute : uint8_t {
  kMessageIndex = 0x00,
  kFirstBlock = 0x04,
  kSubject = 0x08,
  kSenderName = 0x0D,
  kSenderAddress = 0x0E,
  kMessageSize = 0x11,
  kReceiverName = 0x13,
  kReceiverAddress = 0x14,
};

}  // namespace

bool FolderFileWriter::Create(const std::string& path, const FileInfoBlock& info) {
  return CreateIn(AT_FDCWD, path, info);
}

bool FolderFileWriter::CreateIn(int folder_fd, const std::string& name, const FileInfoBlock& info) {
  if (!file_.CreateIn(folder_fd, name, true)) return false;
  const std::vector<uint8_t> block = info.Encode();
  end_ = kFolderFileHeaderSize + block.size();
  last_checkpoint_ = std::chrono::steady_clock::now();
  return Put(0, EmptyHeader().Encode()) && Put(kFolderFileHeaderSize, block) && ReserveIndex(1);
}

FolderFileHeader FolderFileWriter::EmptyHeader() {
  FolderFileHeader header;
  header.file_info_length = kFileInfoSize;
  return header;
}

// A write that fails marks the writer failed; the call says whether its own bytes went.
bool FolderFileWriter::Put(uint64_t offset, std::span<const uint8_t> bytes) {
  const bool put = offset + bytes.size() <= 0xFFFFFFFFu && file_.WriteAt(offset, bytes);
  if (!put) failed_ = true;
  return put;
}

// Room for both sets of index nodes of `records` messages is taken before the messages
// come, so that the index can still be written when the disk is full.
bool FolderFileWriter::ReserveIndex(size_t records) {
  const size_t needed = IndexNodeCount(records);
  static const std::vector<uint8_t> empty(kIndexNodeSize, 0);
  for (std::vector<uint32_t>& places : node_places_) {
    while (places.size() < needed) {
      if (!Put(end_, empty)) return false;
      places.push_back(static_cast<uint32_t>(end_));
      end_ += kIndexNodeSize;
    }
  }
  return true;
}

// A message's blocks and record gather in memory and are written with one call.
void FolderFileWriter::BeginMessage() {
  block_.clear();
  pending_.clear();
  first_block_ = static_cast<uint32_t>(end_);
  message_size_ = 0;
}

void FolderFileWriter::FlushBlock(bool last) {
  const auto at = static_cast<uint32_t>(end_);
  MessageBlockHeader header{at, kBlockDataSize, static_cast<uint32_t>(block_.size()),
                            last ? 0 : at + kBlockSpacing};
  const size_t start = pending_.size();
  pending_.resize(start + kBlockSpacing, 0);
  const auto encoded = header.Encode();
  std::copy(encoded.begin(), encoded.end(), pending_.begin() + static_cast<ptrdiff_t>(start));
  std::copy(block_.begin(), block_.end(),
            pending_.begin() + static_cast<ptrdiff_t>(start + kBlockHeaderSize));
  block_.clear();
  end_ += kBlockSpacing;
}

bool FolderFileWriter::AppendText(std::span<const uint8_t> text) {
  message_size_ += text.size();
  while (!text.empty()) {
    // a full block is written once it is known that more text follows it
    if (block_.size() == kBlockDataSize) FlushBlock(false);
    const size_t n = std::min(text.size(), kBlockDataSize - block_.size());
    block_.insert(block_.end(), text.begin(), text.begin() + static_cast<ptrdiff_t>(n));
    text = text.subspan(n);
  }
  return !failed_ && end_ <= 0xFFFFFFFFu;
}

bool FolderFileWriter::EndMessage(const MessageInfo& info) {
  if (failed_ || message_size_ == 0) {
    end_ = first_block_;  // nothing of it stays: the next message takes its place
    return false;
  }
  FlushBlock(true);
  const auto at = static_cast<uint32_t>(end_);
  const std::vector<uint8_t> record = BuildMessageInfoRecord(
      info, static_cast<uint32_t>(records_.size() + 1), first_block_, message_size_, at);
  pending_.insert(pending_.end(), record.begin(), record.end());
  end_ += record.size();
  // every object begins on a 4-byte boundary, as Outlook Express places them
  const size_t padding = (4 - end_ % 4) % 4;
  pending_.insert(pending_.end(), padding, 0);
  end_ += padding;
  const bool put = Put(first_block_, pending_);
  pending_.clear();
  if (!put) {
    // no piece of the message stays to be taken for one
    file_.CutTo(first_block_);
    end_ = first_block_;
    return false;
  }
  records_.push_back(at);
  // room for the next message's index; when it cannot be had (the disk is full), the
  // room taken before still holds the index of this one, which is written now
  if (!ReserveIndex(records_.size() + 1)) {
    Checkpoint();
    return true;
  }
  if (++since_checkpoint_ >= std::max(kCheckpointMessages, records_.size() / 8) ||
      std::chrono::steady_clock::now() - last_checkpoint_ >= kCheckpointInterval) {
    return Checkpoint();
  }
  return true;
}

// The index goes into the places of the checkpoint before the last one (no header
// names them any more), taken for it in advance; then the header names it. The places
// were written when they were taken, so a full disk does not keep the index from being
// written; a write that fails all the same leaves the header naming the last
// checkpoint whose nodes were all written.
bool FolderFileWriter::Checkpoint() {
  since_checkpoint_ = 0;
  last_checkpoint_ = std::chrono::steady_clock::now();
  FolderFileHeader header = EmptyHeader();
  if (!records_.empty()) {
    const std::vector<uint32_t>& places = node_places_[next_places_];
    if (places.size() < IndexNodeCount(records_.size())) return false;
    size_t used = 0;
    bool written = true;
    header.message_count = static_cast<uint32_t>(records_.size());
    header.index_root = WriteIndexTree(
        records_, [&] { return places[used++]; },
        [&](uint64_t offset, auto bytes) { return written = Put(offset, bytes) && written; });
    if (!written) return false;
    next_places_ ^= 1;
  }
  header.last_id = static_cast<uint32_t>(records_.size());  // ids run from 1
  header.used_size = static_cast<uint32_t>(end_);
  if (!Put(0, header.Encode())) return false;
  indexed_ = records_.size();
  return !failed_;
}

namespace {

// A subtree of the in-order list: up to 51 entries in the node, and when there are
// more, the rest spread evenly over subtrees that follow each entry.
uint32_t WriteIndexSubtree(std::span<const uint32_t> records, uint32_t parent,
                           const NodePlace& place, const PutBytes& put) {
  IndexNode node;
  node.self_offset = place();
  node.parent_offset = parent;
  const size_t entries = std::min<size_t>(records.size(), kMaxIndexEntries);
  node.entry_count = static_cast<uint8_t>(entries);
  const size_t rest = records.size() - entries;
  size_t next = 0;
  for (size_t i = 0; i < entries; ++i) {
    IndexEntry& entry = node.entries[i];
    entry.info_offset = records[next++];
    const size_t below = rest / entries + (i < rest % entries ? 1 : 0);
    if (below > 0) {
      entry.child_offset =
          WriteIndexSubtree(records.subspan(next, below), node.self_offset, place, put);
      entry.child_entry_count = static_cast<uint32_t>(below);
      next += below;
    }
  }
  put(node.self_offset, node.Encode());
  return node.self_offset;
}

}  // namespace

size_t IndexNodeCount(size_t records) {
  if (records == 0) return 0;
  // the subtrees below a node's entries hold `below` or `below + 1` records each
  static thread_local std::unordered_map<size_t, size_t> known;
  if (const auto it = known.find(records); it != known.end()) return it->second;
  const size_t entries = std::min<size_t>(records, kMaxIndexEntries);
  const size_t rest = records - entries, below = rest / entries, larger = rest % entries;
  size_t count = 1;
  if (larger > 0) count += larger * IndexNodeCount(below + 1);
  if (below > 0) count += (entries - larger) * IndexNodeCount(below);
  known.emplace(records, count);
  return count;
}

uint32_t WriteIndexTree(std::span<const uint32_t> records, const NodePlace& place,
                        const PutBytes& put) {
  return WriteIndexSubtree(records, 0, place, put);
}

uint32_t WriteIndexTree(std::span<const uint32_t> records, uint64_t& end, const PutBytes& put) {
  return WriteIndexTree(
      records,
      [&end] {
        const auto at = static_cast<uint32_t>(end);
        end += kIndexNodeSize;
        return at;
      },
      put);
}

std::vector<uint8_t> BuildMessageInfoRecord(const MessageInfo& info, uint32_t index,
                                            uint32_t first_block, uint64_t size, uint32_t at) {
  MessageInfoRecordBuilder record;
  auto text = [](const std::string& s) { return ToWindows1252(s.substr(0, kMaxStoredText)); };
  record.AddDirect(kMessageIndex, index & 0xFFFFFF);
  // the source's flags where known; the record names a body, so it is downloaded
  record.AddNumber(kAttributeFlags,
                   info.flags ? *info.flags | kBodyDownloaded : kFlagsReadAndDownloaded);
  if (info.sent_time) record.AddFileTime(kAttributeSentTime, ToFileTime(*info.sent_time));
  record.AddNumber(kFirstBlock, first_block);
  record.AddString(kAttributeMessageId, text(info.message_id));
  record.AddString(kSubject, text(info.subject));
  record.AddString(kSenderName, text(info.sender_name));
  record.AddString(kSenderAddress, text(info.sender_address));
  record.AddNumber(kMessageSize, static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFF)));
  if (info.received_time)
    record.AddFileTime(kAttributeReceivedTime, ToFileTime(*info.received_time));
  record.AddString(kReceiverName, text(info.receiver_name));
  record.AddString(kReceiverAddress, text(info.receiver_address));
  return record.Build(at);
}

bool FolderFileWriter::Finish() {
  Checkpoint();
  const bool closed = file_.Close();
  return closed && !failed_;
}

}  // namespace rescuva::engine
