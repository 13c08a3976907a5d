#include "saving/save_job.h"

#include <algorithm>

namespace rescuva::saving {

SaveJob::SaveJob(SourceOf sources, SaveRequest request, std::vector<SaveItem> items,
                 std::function<void(const SaveProgress&)> progress, const std::atomic<bool>& stop,
                 std::function<void()> finished)
    : saver_(std::move(sources), std::move(request)),
      items_(std::move(items)),
      progress_(std::move(progress)),
      stop_(stop),
      finished_(std::move(finished)) {
  // a store's outputs are written one folder at a time: its messages go folder by
  // folder, each folder's in the order given
  if (!saver_.Request().folders.empty()) {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const SaveItem& a, const SaveItem& b) { return a.folder < b.folder; });
  }
}

SaveJob::~SaveJob() {
  Wait();
}

void SaveJob::Start() {
  thread_ = std::thread([this] { Work(); });
}

void SaveJob::Wait() {
  if (thread_.joinable()) thread_.join();
}

void SaveJob::Work() {
  if (saver_.Open()) {
    SaveProgress progress{0, items_.size(), 0};
    for (const SaveItem& item : items_) {
      if (stop_) {
        stopped_ = true;
        break;
      }
      saver_.Save(item);
      ++progress.done;
      progress.failed = saver_.Report().failures.size();
      if (progress_) progress_(progress);
    }
  }
  saver_.Finish();
  if (finished_) finished_();
}

}  // namespace rescuva::saving
