// An Outlook Express 4 mail folder: the messages of its .mbx file, and from the .idx
// file beside it which of them are still listed. A message the index marks deleted, or
// one the .mbx still holds and the index does not name, is listed as deleted.
//
// .mbx: "JMF6", version 0x00010003, then up to 0x54 its count, last number and size;
// then one record a message:
//    0  4  marker 7F 00 7F 00
//    4  4  message number
//    8  4  record size (from the marker to the next record)
//   12  4  text size
//   16     the text
// .idx: "JMF9", version 0x00010004, a header up to 0x50; then entries:
//    0  4  flags (bit 0: deleted)
//    4  4  the entry's own offset
//    8  4  entry length
//   12  4  offset of the message's record in the .mbx
//   16  4  its length
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/message_source.h"
#include "engine/recovery_reporter.h"
#include "platform/source_file.h"

namespace rescuva::engine {

class Oe4Mailbox : public MessageSource {
 public:
  explicit Oe4Mailbox(RecoveryReporter& reporter) : reporter_(reporter) {}
  Oe4Mailbox(const Oe4Mailbox&) = delete;
  Oe4Mailbox& operator=(const Oe4Mailbox&) = delete;

  // `path` is the .mbx file; its .idx is found beside it by name, in any case.
  RunOutcome Run(const std::string& path) override;
  void CloseSource() override { mbx_.Close(); }
  SourceFacts Facts() const override { return {mbx_.Length(), digests_, {}}; }
  const platform::ByteSource& Source() const override { return mbx_; }
  bool ExtractToFile(const std::string& path, uint64_t first, Repair repair = Repair::kNulOnly,
                     bool* damaged = nullptr, std::string* error = nullptr) const override;
  bool ExtractToBytes(uint64_t first, Repair repair, std::vector<uint8_t>& text,
                      std::string* error = nullptr) const override;

  // Whether the file begins as an Outlook Express 4 .mbx file does.
  static bool IsMailbox(const platform::SourceFile& file);
  // The .idx file beside `mbx_path`; empty when there is none.
  static std::string IndexPathOf(const std::string& mbx_path);

 private:
  struct IndexEntry {
    uint32_t record = 0;
    bool deleted = false;
  };
  std::vector<IndexEntry> ReadIndex(const std::string& idx_path);
  // The text size of the record at `offset`; nothing when no record lies there.
  std::optional<uint32_t> RecordAt(uint64_t offset) const;
  void List(uint32_t record, bool deleted);
  // The records of the .mbx in file order, found by their markers.
  void ListUnindexed();

  RecoveryReporter& reporter_;
  platform::SourceFile mbx_;
  std::vector<uint8_t> text_;
  ChainTrace trace_;  // of the message last listed
  platform::DigestSet digests_;
  std::unordered_set<uint32_t> listed_;  // records listed by this run
  RunOutcome outcome_;
};

}  // namespace rescuva::engine
