#include "catalogue/catalogue_pipeline.h"

#include <algorithm>

#include "loader/message_loader.h"
#include "platform/digests.h"

namespace rescuva::catalogue {

namespace {

// Parsed messages that may wait for one before them; the parsing threads wait beyond.
constexpr size_t kMostWaiting = 256;
// Messages a parsing thread takes from the queue at once.
constexpr size_t kTakenAtOnce = 8;

}  // namespace

CataloguePipeline::CataloguePipeline(std::string source, Listed listed, bool fragments,
                                     bool digests, int folder, uint64_t listed_before,
                                     unsigned parsers)
    : source_(std::move(source)),
      folder_(folder),
      listed_before_(listed_before),
      listed_(std::move(listed)),
      fragments_(fragments),
      digests_(digests) {
  for (unsigned i = 0; i < std::max(parsers, 1u); ++i) {
    parsers_.emplace_back([this] { ParseQueued(); });
  }
}

// One per core beyond the engine's thread, which parses too while the queue is full: on
// two cores one parser lists the 80,000-message benchmark 2 % faster than two (table)
// and 4 % faster with the three digests of every message; a third thread only takes
// turns on the cores.
unsigned CataloguePipeline::DefaultParsers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 1 ? cores - 1 : 1;
}

CataloguePipeline::~CataloguePipeline() {
  Finish();
}

// The unreadable count is the engine thread's own; the pipeline's thread never
// touches it, and Finish joins before anyone reads the counts.
void CataloguePipeline::Add(const engine::ExtractedMessage& message) {
  Extracted extracted{added_, {},          message.deleted, message.offset,
                      {},     message.end, message.stop,    message.front_unsure};
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
  ++added_;
  // A full queue means the parsers are behind: rather than wait for room, the engine's
  // thread parses the oldest queued messages itself.
  while (!queue_.TryPush(extracted)) {
    std::vector<Extracted> taken = queue_.TakeSome(kTakenAtOnce);
    if (!taken.empty()) ParseAndHand(taken);
  }
}

void CataloguePipeline::ParseQueued() {
  for (auto taken = queue_.PopSome(kTakenAtOnce); !taken.empty();
       taken = queue_.PopSome(kTakenAtOnce)) {
    ParseAndHand(taken);
  }
}

void CataloguePipeline::ParseAndHand(std::vector<Extracted>& taken) {
  std::vector<Done> parsed;
  parsed.reserve(taken.size());
  for (Extracted& message : taken) {
    Parsed rules = Parse(message);
    parsed.push_back({std::move(message), std::move(rules)});
  }
  Hand(parsed);
}

// The queue hands messages out in their order, so the one whose turn it is was taken
// by a thread that has not handed it yet: one never waits here for it.
void CataloguePipeline::Hand(std::vector<Done>& parsed) {
  std::unique_lock lock(order_mutex_);
  const uint64_t last = parsed.back().message.number;
  for (Done& done : parsed) {
    const uint64_t number = done.message.number;
    waiting_.emplace(number, std::move(done));
  }
  if (!listing_) {
    listing_ = true;
    while (!waiting_.empty() && waiting_.begin()->first == next_) {
      auto turn = waiting_.extract(waiting_.begin());
      ++next_;
      lock.unlock();
      List(turn.mapped().message, turn.mapped().parsed);
      lock.lock();
    }
    listing_ = false;
    order_changed_.notify_all();
  }
  order_changed_.wait(lock, [&] { return waiting_.size() < kMostWaiting || last < next_; });
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
  for (std::thread& parser : parsers_) {
    if (parser.joinable()) parser.join();
  }
  counts_.unreadable = unreadable_;
  counts_.problems = unreadable_problems_;
}

}  // namespace rescuva::catalogue
