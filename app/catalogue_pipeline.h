// The catalogue as a pipeline: the engine's thread only reads each extracted file
// (before the next extraction overwrites it); a second thread loads it and applies the
// catalogue's rules, handing over the listed rows in the order the engine found them.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/bounded_queue.h"
#include "app/message_catalogue.h"

namespace rescuva::app {

class CataloguePipeline {
 public:
  // Called on the pipeline's thread for every message the catalogue lists.
  using Listed = std::function<void(const CatalogueRow& row, std::span<const char> bytes)>;

  explicit CataloguePipeline(Listed listed);
  CataloguePipeline(const CataloguePipeline&) = delete;
  CataloguePipeline& operator=(const CataloguePipeline&) = delete;
  ~CataloguePipeline();

  // What AddRecoveredMessage does: takes the bytes of the extracted file.
  void Add(const std::string& path, bool deleted, uint64_t offset);
  // Lists what is still queued and ends the pipeline's thread.
  void Finish();

 private:
  struct Extracted {
    std::vector<char> bytes;
    bool deleted;
    uint64_t offset;
  };
  void ListQueued();

  Listed listed_;
  BoundedQueue<Extracted> queue_{64};
  std::thread lister_;
};

}  // namespace rescuva::app
