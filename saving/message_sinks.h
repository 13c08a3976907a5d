// Where saved messages go: one EML file each in a folder, one new Outlook Express
// folder file, or one mbox file. Each takes a message's bytes and what its record
// needs.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/folder_file_writer.h"
#include "saving/save_request.h"

namespace rescuva::saving {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Takes the message; false with `error` set when it cannot.
  virtual bool Add(const SaveItem& item, std::span<const uint8_t> bytes,
                   const engine::MessageInfo& info, std::string& error) = 0;
  // Completes the output; false when it could not be written whole, with the reason
  // in Error().
  virtual bool Finish() = 0;
  virtual std::string Error() const { return {}; }
  // What went wrong beside the messages, which were saved all the same.
  virtual std::vector<std::string> Notes() const { return {}; }
  // Where the message last taken went, below the destination: an EML file's path, or
  // empty when it went into the destination file itself.
  virtual std::string SavedAs() const { return {}; }
  // After Finish: messages taken that the output does not keep after all (a folder
  // file whose index could not be written again once the disk filled).
  virtual std::vector<SaveFailure> Unkept() const { return {}; }
};

// Creates the destination for `request`, which outlives the sink (the EML folder must exist; a
// folder file or mbox file must not). A request naming a store's folders makes a tree of outputs in
// the folder `destination`, each folder's when its first message comes (messages come folder by
// folder); an mbox tree's files carry Thunderbird's status headers. Nothing, with
// `error` set, when it cannot be created.
std::unique_ptr<MessageSink> OpenSink(const SaveRequest& request, std::string& error);

}  // namespace rescuva::saving
