#include "saving/message_saver.h"

#include "catalogue/message_catalogue.h"
#include "loader/message_loader.h"

namespace rescuva::saving {

MessageSaver::MessageSaver(const engine::DbxRecoveryEngine& engine, SaveRequest request)
    : engine_(engine), request_(std::move(request)), scratch_(engine.TempFolder() + "dd3.eml") {}

bool MessageSaver::Open() {
  sink_ = OpenSink(request_, report_.destination_error);
  return sink_ != nullptr;
}

void MessageSaver::Save(const SaveItem& item) {
  std::string why;
  if (!engine_.ExtractToFile(scratch_, item.offset, request_.repair, nullptr, &why)) {
    return Fail(item, "the message could not be extracted again from the folder file: " + why);
  }
  const auto bytes = loader::ReadMessageBytes(scratch_);
  if (!bytes) return Fail(item, "cannot read back " + scratch_);
  const auto message = loader::LoadMessage(*bytes, false);
  Save(item, {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()},
       message ? catalogue::MessageInfoOf(*message) : engine::MessageInfo{});
}

void MessageSaver::Save(const SaveItem& item, std::span<const uint8_t> bytes,
                        const engine::MessageInfo& info) {
  std::string error;
  if (!sink_) return Fail(item, "the destination is not open");
  if (!sink_->Add(item, bytes, info, error)) return Fail(item, error);
  ++report_.saved;
}

void MessageSaver::Fail(const SaveItem& item, std::string reason) {
  report_.failures.push_back({item.offset, item.subject, std::move(reason)});
}

bool MessageSaver::Finish() {
  if (sink_ && !sink_->Finish()) {
    report_.destination_error = "cannot complete " + request_.destination;
  }
  sink_.reset();
  return report_.destination_error.empty();
}

}  // namespace rescuva::saving
