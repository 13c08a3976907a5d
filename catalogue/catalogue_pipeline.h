// The catalogue as a pipeline: the engine's thread only takes each extracted message
// (its bytes, or the scratch file read before the next extraction overwrites it) and
// numbers it; parsing threads, one per core beyond the engine's (at least one), take
// the messages from one queue and apply the catalogue's rules, and the rows are handed
// over one at a time in the order the engine found them, by whichever thread holds the
// next one, counting what could not be listed. No thread waits for a batch, and the
// engine's thread does not wait for room in the queue: it parses queued messages
// itself meanwhile.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/bounded_queue.h"
#include "catalogue/message_catalogue.h"
#include "engine/recovery_reporter.h"
#include "engine/run_outcome.h"

namespace rescuva::catalogue {

// What the pipeline did with the messages it was given.
struct CatalogueCounts {
  size_t listed = 0;
  size_t existing = 0;
  size_t deleted = 0;
  size_t fragments = 0;        // listed as fragments, when asked for
  size_t cut = 0;              // listed, but their chains were cut: what survives of them
  size_t without_headers = 0;  // not listed: neither sender, recipient nor subject
  size_t not_messages = 0;     // not listed: the loader could not read a message from it
  size_t unreadable = 0;       // not listed: the scratch file could not be read back
  size_t already_listed = 0;   // not listed: the filter said another source listed it
  std::vector<engine::MessageProblem> problems;  // the first unreadable ones, named
};

class CataloguePipeline {
 public:
  // Called for every message the catalogue lists, one at a time, on a parsing thread
  // or the engine's. The row is the callee's: it may keep it, moving it away.
  using Listed = std::function<void(CatalogueRow& row, std::span<const char> bytes)>;

  // `source` is the folder file the messages come from; every row carries it. With
  // `fragments`, text without those headers is listed as a fragment; with `digests`,
  // every row carries the MD5, SHA-1 and SHA-256 of its message, computed as it is
  // parsed. Rows carry `folder` too, and the trace of a message handed over with one;
  // they are numbered on from `listed_before`.
  CataloguePipeline(std::string source, Listed listed, bool fragments = false, bool digests = false,
                    int folder = -1, uint64_t listed_before = 0,
                    unsigned parsers = DefaultParsers());
  CataloguePipeline(const CataloguePipeline&) = delete;
  CataloguePipeline& operator=(const CataloguePipeline&) = delete;
  ~CataloguePipeline();

  // Asked before a row is listed, as Listed is called; false leaves it out (counted
  // as already listed). Set before the first Add.
  using Filter = std::function<bool(const CatalogueRow& row, std::span<const char> bytes)>;
  void SetFilter(Filter filter) { filter_ = std::move(filter); }

  // What AddRecoveredMessage does: takes the message's bytes.
  void Add(const engine::ExtractedMessage& message);
  // Lists what is still queued and ends the pipeline's thread.
  void Finish();
  // Valid after Finish.
  const CatalogueCounts& Counts() const { return counts_; }
  // One per core beyond the engine's thread, at least one.
  static unsigned DefaultParsers();

 private:
  struct Extracted {
    uint64_t number = 0;  // in the order the engine found it
    std::vector<char> bytes;
    bool deleted;
    uint64_t offset;
    std::optional<engine::RecordFacts> facts;
    engine::ChainEnd end = engine::ChainEnd::kWhole;
    uint64_t stop = 0;
    bool front_unsure = false;
    engine::ChainTrace trace;
  };
  // What the rules make of one message: its row, or why there is none.
  struct Parsed {
    std::optional<CatalogueRow> row;
    bool loaded = false;
  };
  struct Done {
    Extracted message;
    Parsed parsed;
  };
  void ParseQueued();
  void ParseAndHand(std::vector<Extracted>& taken);
  Parsed Parse(const Extracted& message) const;
  // Takes parsed messages; lists them and every one after them that is waiting,
  // unless another thread is listing, which then does.
  void Hand(std::vector<Done>& parsed);
  void List(Extracted& message, Parsed& parsed);

  std::string source_;
  int folder_;
  uint64_t listed_before_;
  Listed listed_;
  Filter filter_;
  const bool fragments_;
  const bool digests_;
  CatalogueCounts counts_;  // the listing thread's, until Finish
  size_t unreadable_ = 0;   // the engine thread's
  uint64_t added_ = 0;      // the engine thread's
  std::vector<engine::MessageProblem> unreadable_problems_;
  BoundedQueue<Extracted> queue_{64};
  std::mutex order_mutex_;
  std::condition_variable order_changed_;
  std::map<uint64_t, Done> waiting_;  // parsed, not listed yet: their turn has not come
  uint64_t next_ = 0;                 // the number of the next message to list
  bool listing_ = false;              // a thread is listing
  std::vector<std::thread> parsers_;
};

}  // namespace rescuva::catalogue
