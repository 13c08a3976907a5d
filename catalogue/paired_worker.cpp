#include "catalogue/paired_worker.h"

namespace rescuva::catalogue {

PairedWorker::PairedWorker() : thread_([this] { Serve(); }) {}

PairedWorker::~PairedWorker() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void PairedWorker::Run(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    work_ = std::move(work);
    busy_ = true;
  }
  changed_.notify_all();
}

void PairedWorker::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !busy_; });
}

void PairedWorker::Serve() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return busy_ || ending_; });
    if (!busy_) return;
    auto work = std::move(work_);
    lock.unlock();
    work();
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace rescuva::catalogue
