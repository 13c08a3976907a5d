// Where saved messages go: one EML file each in a folder, one new Outlook Express
// folder file, or one mbox file. Each takes a message as an extracted file.
#pragma once

#include <memory>
#include <string>

#include "saving/save_request.h"

namespace rescuva::saving {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Takes the message extracted to `path`; false with `error` set when it cannot.
  virtual bool Add(const SaveItem& item, const std::string& path, std::string& error) = 0;
  // Completes the output; false when it could not be written whole.
  virtual bool Finish() = 0;
};

// Creates the destination (the EML folder must exist; a folder file or mbox file must
// not). Nothing, with `error` set, when it cannot be created.
std::unique_ptr<MessageSink> OpenSink(const SaveRequest& request, std::string& error);

}  // namespace rescuva::saving
