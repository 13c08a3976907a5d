// The catalogue's rule for one recovered message: whether it is listed, and what its
// row holds. The rows are the catalogue; the application shows them in its list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/chain_reading.h"
#include "engine/chain_trace.h"
#include "engine/folder_file_writer.h"
#include "engine/message_info_record.h"
#include "loader/message_loader.h"
#include "platform/digests.h"

namespace rescuva::catalogue {

// The existing message a deleted one is a leftover copy of: its folder and offset.
struct CopyOf {
  int folder = -1;
  uint64_t offset = 0;
};

struct CatalogueRow {
  bool deleted = false;
  // Recovered text with neither sender, recipient nor subject: listed only when
  // fragments are asked for.
  bool fragment = false;
  uint64_t offset = 0;  // first block of the message's chain: the row's key
  std::string from;
  std::string to;
  std::string subject;
  std::optional<int64_t> received_time;       // seconds since 1970 UTC
  std::vector<std::string> attachment_names;  // the named attachments, in message order
  std::string source;                         // the folder file the message came from
  engine::MessageInfo info;     // what a saved folder file's record and an mbox line need
  platform::DigestSet digests;  // of the extracted bytes, when the scan was asked for them
  int folder = -1;              // the store folder the message came from; -1 for a single file
  std::optional<engine::RecordFacts> record;  // what an existing message's index record says
  std::optional<CopyOf> copy_of;              // a store's deleted copy of an existing message
  // Whole, or why the message's chain was cut and the position of its last block read:
  // a cut message holds what survives.
  engine::ChainEnd end = engine::ChainEnd::kWhole;
  uint64_t stop = 0;
  uint64_t size = 0;      // of the message's bytes as listed
  uint64_t sequence = 0;  // 1, 2, ...: its place in the order the scan listed it
  // Where its bytes lie in the source and what was mended, when the scan traced it.
  engine::ChainTrace trace;

  std::string StatusText() const {
    return fragment ? "Fragment" : deleted ? "Deleted" : "Existing";
  }
  std::string OffsetText() const { return std::to_string(offset); }
  bool HasAttachment() const { return !attachment_names.empty(); }
  bool Cut() const { return end != engine::ChainEnd::kWhole; }
  // "Cut: its next block was not found (the last block read lies at 123456)".
  std::string CutText() const { return Cut() ? "Cut: " + CutReason() : std::string(); }
  // The same without "Cut: ".
  std::string CutReason() const;
};

// What a saved folder file's record and an mbox "From " line take from a message.
engine::MessageInfo MessageInfoOf(const loader::LoadedMessage& message);

// An existing message's row takes its index record's flags and times: the received
// time where the record has one, the sent time where the message has no Date.
void ApplyRecordFacts(const engine::RecordFacts& facts, CatalogueRow& row);

// The row for the extracted message at `path`; nothing when the file does not load or
// has neither sender, recipient nor subject.
std::optional<CatalogueRow> MakeCatalogueRow(const std::string& path, bool deleted,
                                             uint64_t offset);
// The same for a message already loaded.
std::optional<CatalogueRow> MakeCatalogueRow(loader::LoadedMessage message, bool deleted,
                                             uint64_t offset);
// The same for the bytes of such a file.
std::optional<CatalogueRow> MakeCatalogueRow(std::span<const char> bytes, bool deleted,
                                             uint64_t offset);

// The row of a fragment: recovered bytes without those headers that read as text
// (a block of an index or of binary data does not). Nothing otherwise.
std::optional<CatalogueRow> MakeFragmentRow(std::span<const char> bytes, bool deleted,
                                            uint64_t offset);

// The scan page's counter: "Emails", ten blanks, a colon, two blanks, the row count.
std::string CounterText(size_t rows);

}  // namespace rescuva::catalogue
