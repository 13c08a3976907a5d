#include "saving/message_saver.h"

#include "catalogue/message_catalogue.h"
#include "loader/message_loader.h"

namespace rescuva::saving {

MessageSaver::MessageSaver(SourceOf sources, SaveRequest request)
    : sources_(std::move(sources)), request_(std::move(request)) {}

SourceOf OneSource(const engine::MessageSource& source) {
  return [&source](int) -> const engine::MessageSource& { return source; };
}

bool MessageSaver::Open() {
  sink_ = OpenSink(request_, report_.destination_error);
  return sink_ != nullptr;
}

bool MessageSaver::Extract(const SaveItem& item) {
  std::string why;
  if (sources_(item.folder).ExtractToBytes(item.offset, request_.repair, text_, &why)) return true;
  Fail(item, "the message could not be extracted again from the folder file: " + why);
  return false;
}

engine::MessageInfo MessageSaver::ReadInfo() const {
  const auto message =
      loader::LoadMessage({reinterpret_cast<const char*>(text_.data()), text_.size()}, false);
  return message ? catalogue::MessageInfoOf(*message) : engine::MessageInfo{};
}

void MessageSaver::Save(const SaveItem& item) {
  if (!Extract(item)) return;
  Save(item, text_, item.info ? *item.info : ReadInfo());
}

void MessageSaver::SaveMended(const SaveItem& item) {
  if (!Extract(item)) return;
  engine::MessageInfo info = ReadInfo();
  if (item.info) {
    info.flags = item.info->flags;
    if (item.info->received_time) info.received_time = item.info->received_time;
    if (!info.sent_time) info.sent_time = item.info->sent_time;
  }
  Save(item, text_, info);
}

void MessageSaver::Save(const SaveItem& item, std::span<const uint8_t> bytes,
                        const engine::MessageInfo& info) {
  std::string error;
  if (!sink_) return Fail(item, "the destination is not open");
  if (!sink_->Add(item, bytes, info, error)) return Fail(item, error);
  ++report_.saved;
  const std::string below = sink_->SavedAs();
  report_.saved_as.push_back(
      {item.folder, item.offset,
       below.empty() ? request_.destination : request_.destination + "/" + below});
}

void MessageSaver::Fail(const SaveItem& item, std::string reason) {
  report_.failures.push_back({item.offset, item.subject, std::move(reason)});
}

bool MessageSaver::Finish() {
  if (sink_ && !sink_->Finish()) {
    const std::string why = sink_->Error();
    report_.destination_error =
        "cannot complete " + request_.destination + (why.empty() ? "" : ": " + why);
  }
  if (sink_) {
    report_.notes = sink_->Notes();
    for (SaveFailure& lost : sink_->Unkept()) {
      --report_.saved;
      report_.failures.push_back(std::move(lost));
    }
  }
  sink_.reset();
  return report_.destination_error.empty();
}

}  // namespace rescuva::saving
