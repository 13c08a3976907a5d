// A first-in first-out queue between threads that holds at most a fixed number of
// items: producers wait while it is full, consumers while it is empty.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <iterator>
#include <mutex>
#include <vector>

namespace rescuva::catalogue {

template <typename T>
class BoundedQueue {
 public:
  explicit BoundedQueue(size_t capacity) : capacity_(capacity) {}

  // Wakes the consumer only when it may be waiting (the queue was empty), and after
  // letting go of the lock.
  void Push(T item) {
    std::unique_lock lock(mutex_);
    not_full_.wait(lock, [&] { return items_.size() < capacity_; });
    Put(lock, item);
  }
  // Takes every queued item at once, waiting for one when there is none; nothing
  // once the queue is closed and empty.
  std::deque<T> PopAll() {
    std::unique_lock lock(mutex_);
    not_empty_.wait(lock, [&] { return !items_.empty() || closed_; });
    std::deque<T> taken;
    taken.swap(items_);
    const bool was_full = taken.size() >= capacity_;
    lock.unlock();
    if (was_full) not_full_.notify_one();
    return taken;
  }
  // Queues the item when there is room; false when the queue is full, the item then
  // left as it was.
  bool TryPush(T& item) {
    std::unique_lock lock(mutex_);
    if (items_.size() >= capacity_) return false;
    Put(lock, item);
    return true;
  }
  // Takes the oldest items, at most `most`, waiting for one when there is none; none
  // once the queue is closed and empty. For several consumers.
  std::vector<T> PopSome(size_t most) {
    std::unique_lock lock(mutex_);
    not_empty_.wait(lock, [&] { return !items_.empty() || closed_; });
    return Take(lock, most);
  }
  // The same without waiting: none when the queue is empty.
  std::vector<T> TakeSome(size_t most) {
    std::unique_lock lock(mutex_);
    return Take(lock, most);
  }
  void Close() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    not_empty_.notify_all();
  }

 private:
  void Put(std::unique_lock<std::mutex>& lock, T& item) {
    items_.push_back(std::move(item));
    const bool was_empty = items_.size() == 1;
    lock.unlock();
    if (was_empty) not_empty_.notify_one();
  }
  std::vector<T> Take(std::unique_lock<std::mutex>& lock, size_t most) {
    const size_t n = std::min(most, items_.size());
    std::vector<T> taken(std::make_move_iterator(items_.begin()),
                         std::make_move_iterator(items_.begin() + static_cast<ptrdiff_t>(n)));
    items_.erase(items_.begin(), items_.begin() + static_cast<ptrdiff_t>(n));
    const bool was_full = items_.size() + n >= capacity_;
    const bool more = !items_.empty();
    lock.unlock();
    if (was_full) not_full_.notify_one();
    if (more) not_empty_.notify_one();  // another consumer may take the rest
    return taken;
  }

  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable not_full_, not_empty_;
  std::deque<T> items_;
  bool closed_ = false;
};

}  // namespace rescuva::catalogue
