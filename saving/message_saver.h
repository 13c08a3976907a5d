// Saves listed messages: each is extracted again from the folder file by its offset,
// or taken as the catalogue listed it, and handed to the chosen output. Every message
// that cannot be saved is counted and named in the report.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/message_source.h"
#include "saving/message_sinks.h"
#include "saving/save_request.h"

namespace rescuva::saving {

// Where a saved message went: the destination, or a file below it.
struct SavedMessage {
  int folder = -1;
  uint64_t offset = 0;
  std::string path;
};

struct SaveReport {
  size_t saved = 0;
  std::vector<SavedMessage> saved_as;  // in the order saved
  std::vector<SaveFailure> failures;
  std::string destination_error;   // set when the output could not be created or completed
  std::vector<std::string> notes;  // what went wrong beside the saved messages
};

// Where the messages of a store folder are read again (folder -1: the single file).
using SourceOf = std::function<const engine::MessageSource&(int folder)>;
// The one source of a single file's messages.
SourceOf OneSource(const engine::MessageSource& source);

class MessageSaver {
 public:
  MessageSaver(SourceOf sources, SaveRequest request);
  // Creates the destination; false (and the report says why) when it cannot.
  bool Open();
  // Extracts the message again (with the request's repair) and loads what its record
  // needs.
  void Save(const SaveItem& item);
  // The same, but what the record needs is read anew from the text extracted (mended
  // otherwise than when it was listed), keeping what the index record gave: flags and
  // times.
  void SaveMended(const SaveItem& item);
  // Saves the bytes the catalogue listed, with what it read of them.
  void Save(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info);
  // Completes the output: a folder file gets its index, so what was saved until now
  // forms a whole file.
  bool Finish();
  const SaveReport& Report() const { return report_; }
  const SaveRequest& Request() const { return request_; }

 private:
  // Into `text_`; false, and the message failed, when it cannot be.
  bool Extract(const SaveItem& item);
  engine::MessageInfo ReadInfo() const;
  void Fail(const SaveItem& item, std::string reason);

  SourceOf sources_;
  SaveRequest request_;
  std::unique_ptr<MessageSink> sink_;
  std::vector<uint8_t> text_;  // the message extracted again
  SaveReport report_;
};

}  // namespace rescuva::saving
