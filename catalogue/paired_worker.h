// A second thread that works beside its owner: Run hands it a piece of work, Wait
// returns once that piece is done. The catalogue parses a batch of messages on both.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace rescuva::catalogue {

class PairedWorker {
 public:
  PairedWorker();
  PairedWorker(const PairedWorker&) = delete;
  PairedWorker& operator=(const PairedWorker&) = delete;
  ~PairedWorker();

  // One piece at a time: each Run is followed by a Wait before the next.
  void Run(std::function<void()> work);
  void Wait();

 private:
  void Serve();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> work_;
  bool busy_ = false;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace rescuva::catalogue
