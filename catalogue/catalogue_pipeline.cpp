#include "catalogue/catalogue_pipeline.h"

#include <atomic>

#include "loader/message_loader.h"
#include "platform/digests.h"

namespace rescuva::catalogue {

CataloguePipeline::CataloguePipeline(std::string source, Listed listed, bool fragments,
                                     bool digests, int folder, uint64_t listed_before)
    : source_(std::move(source)),
      folder_(folder),
      listed_before_(listed_before),
      listed_(std::move(listed)),
      fragments_(fragments),
      digests_(digests),
      lister_([this] { ListQueued(); }) {}

CataloguePipeline::~CataloguePipeline() {
  Finish();
}

// The unreadable count is the engine thread's own; the pipeline's thread never
// touches it, and Finish joins before anyone reads the counts.
void CataloguePipeline::Add(const engine::ExtractedMessage& message) {
  Extracted extracted{{},          message.deleted, message.offset,      {},
                      message.end, message.stop,    message.front_unsure};
  if (message.facts) extracted.facts = *message.facts;
  if (message.trace) extracted.trace = *message.trace;
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

// Both threads take the batch's messages in turn; the rows are then handed over in
// the batch's order.
void CataloguePipeline::ListQueued() {
  std::vector<Parsed> parsed;
  for (auto batch = queue_.PopAll(); !batch.empty(); batch = queue_.PopAll()) {
    parsed.assign(batch.size(), {});
    std::atomic<size_t> next{0};
    auto parse = [&] {
      for (size_t i = next++; i < batch.size(); i = next++) parsed[i] = Parse(batch[i]);
    };
    const bool paired = batch.size() > 1;
    if (paired) helper_.Run(parse);
    parse();
    if (paired) helper_.Wait();
    for (size_t i = 0; i < batch.size(); ++i) List(batch[i], parsed[i]);
  }
}

CataloguePipeline::Parsed CataloguePipeline::Parse(const Extracted& message) const {
  Parsed parsed;
  auto loaded = loader::LoadMessage(message.bytes, false);
  parsed.loaded = loaded.has_value();
  if (loaded) parsed.row = MakeCatalogueRow(std::move(*loaded), message.deleted, message.offset);
  if (!parsed.row && fragments_) {
    parsed.row = MakeFragmentRow(message.bytes, message.deleted, message.offset);
  }
  if (parsed.row && digests_) {
    parsed.row->digests = platform::DigestsOf(
        {reinterpret_cast<const uint8_t*>(message.bytes.data()), message.bytes.size()});
  }
  return parsed;
}

void CataloguePipeline::List(Extracted& message, Parsed& parsed) {
  if (!parsed.row) {
    ++(parsed.loaded ? counts_.without_headers : counts_.not_messages);
    return;
  }
  CatalogueRow& row = *parsed.row;
  if (filter_ && !filter_(row, message.bytes)) {
    ++counts_.already_listed;
    return;
  }
  row.source = source_;
  row.folder = folder_;
  row.end = message.end;
  // text without a message's headers, where the blocks before it may be lost, is a
  // message's tail
  if (row.fragment && message.front_unsure && !row.Cut()) row.end = engine::ChainEnd::kFrontMissing;
  row.stop = message.stop;
  row.trace = std::move(message.trace);
  row.size = message.bytes.size();
  if (message.facts) ApplyRecordFacts(*message.facts, row);
  ++counts_.listed;
  row.sequence = listed_before_ + counts_.listed;
  counts_.cut += row.Cut();
  ++(row.fragment ? counts_.fragments : row.deleted ? counts_.deleted : counts_.existing);
  listed_(row, message.bytes);
}

void CataloguePipeline::Finish() {
  queue_.Close();
  if (lister_.joinable()) lister_.join();
  counts_.unreadable = unreadable_;
  counts_.problems = unreadable_problems_;
}

}  // namespace rescuva::catalogue
