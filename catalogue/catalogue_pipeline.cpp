#include "catalogue/catalogue_pipeline.h"

#include "loader/message_loader.h"

namespace rescuva::catalogue {

CataloguePipeline::CataloguePipeline(std::string source, Listed listed, bool fragments)
    : source_(std::move(source)),
      listed_(std::move(listed)),
      fragments_(fragments),
      lister_([this] { ListQueued(); }) {}

CataloguePipeline::~CataloguePipeline() {
  Finish();
}

// The unreadable count is the engine thread's own; the pipeline's thread never
// touches it, and Finish joins before anyone reads the counts.
void CataloguePipeline::Add(const engine::ExtractedMessage& message) {
  Extracted extracted{{}, message.deleted, message.offset};
  if (message.held) {
    extracted.bytes.assign(message.text.begin(), message.text.end());
  } else if (auto bytes = loader::ReadMessageBytes(message.path)) {
    extracted.bytes = std::move(*bytes);
  } else {
    ++unreadable_;
    if (unreadable_problems_.size() < engine::kNamedProblems) {
      unreadable_problems_.push_back({message.offset, "cannot read back " + message.path});
    }
    return;
  }
  queue_.Push(std::move(extracted));
}

void CataloguePipeline::ListQueued() {
  for (auto batch = queue_.PopAll(); !batch.empty(); batch = queue_.PopAll()) {
    for (Extracted& message : batch) List(message);
  }
}

void CataloguePipeline::List(const Extracted& message) {
  auto loaded = loader::LoadMessage(message.bytes, false);
  std::optional<CatalogueRow> row;
  if (loaded) row = MakeCatalogueRow(std::move(*loaded), message.deleted, message.offset);
  if (!row && fragments_) row = MakeFragmentRow(message.bytes, message.deleted, message.offset);
  if (!row) {
    ++(loaded ? counts_.without_headers : counts_.not_messages);
    return;
  }
  row->source = source_;
  ++counts_.listed;
  ++(row->fragment ? counts_.fragments : row->deleted ? counts_.deleted : counts_.existing);
  listed_(*row, message.bytes);
}

void CataloguePipeline::Finish() {
  queue_.Close();
  if (lister_.joinable()) lister_.join();
  counts_.unreadable = unreadable_;
  counts_.problems = unreadable_problems_;
}

}  // namespace rescuva::catalogue
