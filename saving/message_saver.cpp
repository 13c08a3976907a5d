#include "saving/message_saver.h"

namespace rescuva::saving {

MessageSaver::MessageSaver(const engine::DbxRecoveryEngine& engine, SaveRequest request)
    : engine_(engine), request_(std::move(request)), scratch_(engine.TempFolder() + "dd3.eml") {}

bool MessageSaver::Open() {
  sink_ = OpenSink(request_, report_.destination_error);
  return sink_ != nullptr;
}

void MessageSaver::Save(const SaveItem& item) {
  std::string error, why;
  if (!sink_) {
    error = "the destination is not open";
  } else if (!engine_.ExtractToFile(scratch_, item.offset, request_.repair, nullptr, &why)) {
    error = "the message could not be extracted again from the folder file: " + why;
  } else if (sink_->Add(item, scratch_, error)) {
    ++report_.saved;
    return;
  }
  report_.failures.push_back({item.offset, item.subject, error});
}

bool MessageSaver::Finish() {
  if (sink_ && !sink_->Finish()) {
    report_.destination_error = "cannot complete " + request_.destination;
  }
  sink_.reset();
  return report_.destination_error.empty();
}

}  // namespace rescuva::saving
