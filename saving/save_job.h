// A whole save on its own thread, for the save progress page: it reports after each
// message and ends at the stop flag with a complete output.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "saving/message_saver.h"

namespace rescuva::saving {

struct SaveProgress {
  size_t done = 0;  // messages handled, saved or failed
  size_t total = 0;
  size_t failed = 0;
  size_t skipped = 0;  // left unsaved by a stop
};

class SaveJob {
 public:
  // `progress` is called on the job's thread after each message, `finished` once at
  // the end, after the output is complete.
  SaveJob(SourceOf sources, SaveRequest request, std::vector<SaveItem> items,
          std::function<void(const SaveProgress&)> progress, const std::atomic<bool>& stop,
          std::function<void()> finished = nullptr);
  SaveJob(const SaveJob&) = delete;
  SaveJob& operator=(const SaveJob&) = delete;
  ~SaveJob();

  void Start();
  void Wait();
  // Valid after Wait.
  const SaveReport& Report() const { return saver_.Report(); }
  bool Stopped() const { return stopped_; }

 private:
  void Work();

  MessageSaver saver_;
  std::vector<SaveItem> items_;
  std::function<void(const SaveProgress&)> progress_;
  const std::atomic<bool>& stop_;
  std::function<void()> finished_;
  bool stopped_ = false;
  std::thread thread_;
};

}  // namespace rescuva::saving
