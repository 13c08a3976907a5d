// The one way work crosses from a worker thread to the thread that shows it. A
// Crossing runs tasks on its receiving thread and never makes the sender wait; Latest
// carries only the newest of a stream of values (status texts, progress positions),
// Batched carries items in batches. The window receives on its user-interface
// thread; rescuva-cli receives at once on the sending thread, one task at a time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace rescuva::session {

class Crossing {
 public:
  virtual ~Crossing() = default;
  // Runs `task` on the receiving thread, not before `delay_ms` milliseconds.
  virtual void Post(std::function<void()> task, int delay_ms = 0) = 0;
  virtual bool OnReceivingThread() const = 0;

  // Runs `task` on the receiving thread and waits for its result: for a question
  // that a worker must have answered before it goes on.
  template <typename R>
  R Ask(std::function<R()> task) {
    if (OnReceivingThread()) return task();
    auto promise = std::make_shared<std::promise<R>>();
    auto answer = promise->get_future();
    Post([promise, task = std::move(task)] { promise->set_value(task()); });
    return answer.get();
  }
};

// Runs every task at once on the thread that posts it, one at a time.
class ImmediateCrossing : public Crossing {
 public:
  void Post(std::function<void()> task, int) override {
    std::lock_guard lock(mutex_);
    task();
  }
  bool OnReceivingThread() const override { return true; }

 private:
  std::recursive_mutex mutex_;
};

// The newest value of a stream; a value set while an earlier one has not been
// delivered replaces it.
template <typename T>
class Latest {
 public:
  Latest(Crossing& crossing, std::function<void(const T&)> sink)
      : crossing_(crossing), state_(std::make_shared<State>()) {
    state_->sink = std::move(sink);
  }
  ~Latest() { Close(); }

  void Set(T value) {
    {
      std::lock_guard lock(state_->mutex);
      state_->value = std::move(value);
      if (state_->pending || state_->closed) return;
      state_->pending = true;
    }
    crossing_.Post([state = state_] { Deliver(*state); });
  }
  // Nothing is delivered after this; call it on the receiving thread.
  void Close() {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
  }

 private:
  struct State {
    std::mutex mutex;
    std::optional<T> value;
    bool pending = false;
    bool closed = false;
    std::function<void(const T&)> sink;
  };
  static void Deliver(State& state) {
    std::optional<T> value;
    {
      std::lock_guard lock(state.mutex);
      state.pending = false;
      if (state.closed) return;
      value.swap(state.value);
    }
    if (value) state.sink(*value);
  }

  Crossing& crossing_;
  std::shared_ptr<State> state_;
};

// Items delivered in batches: the first item of a batch sends it on its way after
// `delay_ms`, and every item added until it is delivered joins it. At most `most`
// items cross in one task, the rest in the tasks after it, so that a receiving thread
// that fell behind is not kept busy by one long batch; Flush sends all at once.
template <typename T>
class Batched {
 public:
  Batched(Crossing& crossing, int delay_ms, std::function<void(std::vector<T>&)> sink,
          size_t most = SIZE_MAX)
      : crossing_(crossing), delay_ms_(delay_ms), state_(std::make_shared<State>()) {
    state_->sink = std::move(sink);
    state_->crossing = &crossing;
    state_->most = std::max<size_t>(most, 1);
  }
  ~Batched() { Close(); }

  void Add(T item) {
    {
      std::lock_guard lock(state_->mutex);
      if (state_->closed) return;
      state_->items.push_back(std::move(item));
      if (state_->pending) return;
      state_->pending = true;
    }
    crossing_.Post([state = state_] { Deliver(state, false); }, delay_ms_);
  }
  // Sends what was added so far without waiting for the delay, in one task: whatever
  // is posted after it arrives after these items.
  void Flush() {
    crossing_.Post([state = state_] { Deliver(state, true); });
  }
  void Close() {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    state_->items.clear();
  }

 private:
  struct State {
    std::mutex mutex;
    std::deque<T> items;   // taken from the front a task's share at a time
    std::vector<T> spare;  // a delivered batch's storage, kept for the next one
    bool pending = false;
    bool closed = false;
    std::function<void(std::vector<T>&)> sink;
    Crossing* crossing = nullptr;
    size_t most = SIZE_MAX;
  };
  static void Deliver(const std::shared_ptr<State>& state, bool all) {
    std::vector<T> items;
    bool rest = false;
    {
      std::lock_guard lock(state->mutex);
      state->pending = false;
      if (state->closed) return;
      auto& queued = state->items;
      const size_t n = all ? queued.size() : std::min(queued.size(), state->most);
      const auto end = queued.begin() + static_cast<std::ptrdiff_t>(n);
      items.swap(state->spare);
      items.assign(std::make_move_iterator(queued.begin()), std::make_move_iterator(end));
      queued.erase(queued.begin(), end);
      rest = state->pending = !queued.empty();
    }
    if (!items.empty()) state->sink(items);
    items.clear();
    {
      std::lock_guard lock(state->mutex);
      if (items.capacity() > state->spare.capacity()) items.swap(state->spare);
    }
    if (rest) state->crossing->Post([state] { Deliver(state, false); });
  }

  Crossing& crossing_;
  const int delay_ms_;
  std::shared_ptr<State> state_;
};

}  // namespace rescuva::session
