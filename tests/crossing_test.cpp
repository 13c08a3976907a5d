// The crossing's channels: only the newest value crosses, items cross in batches, and
// nothing is delivered once a channel is closed.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <thread>

#include "session/crossing.h"

namespace rescuva::session {
namespace {

// Keeps what was posted until the test runs it, as a busy receiving thread would.
class HeldCrossing : public Crossing {
 public:
  void Post(std::function<void()> task, int delay_ms) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    delays_.push_back(delay_ms);
  }
  bool OnReceivingThread() const override { return std::this_thread::get_id() == receiver_; }
  size_t RunAll() {
    std::deque<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
    return tasks.size();
  }
  std::vector<int> delays_;

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::thread::id receiver_ = std::this_thread::get_id();
};

TEST(Crossing, OnlyTheNewestValueCrosses) {
  HeldCrossing crossing;
  std::vector<std::string> shown;
  Latest<std::string> status(crossing, [&](const std::string& text) { shown.push_back(text); });
  status.Set("one");
  status.Set("two");
  status.Set("three");
  EXPECT_EQ(crossing.RunAll(), 1u);  // one delivery for all three
  EXPECT_EQ(shown, std::vector<std::string>{"three"});
  status.Set("four");
  status.Close();
  crossing.RunAll();
  EXPECT_EQ(shown.size(), 1u);
}

TEST(Crossing, ItemsCrossInBatchesAfterTheirDelay) {
  HeldCrossing crossing;
  std::vector<std::vector<int>> batches;
  Batched<int> rows(crossing, 50, [&](std::vector<int>& items) { batches.push_back(items); });
  for (int i = 0; i < 5; ++i) rows.Add(i);
  EXPECT_EQ(crossing.delays_, std::vector<int>{50});
  crossing.RunAll();
  rows.Add(5);
  rows.Flush();
  crossing.RunAll();
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0], (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(batches[1], std::vector<int>{5});
}

// A batch longer than its limit crosses in parts, in order, each part a task of its
// own; a flush sends the rest at once, before anything posted after it.
TEST(Crossing, ALongBatchCrossesInPartsAndAFlushAtOnce) {
  HeldCrossing crossing;
  std::vector<std::vector<int>> batches;
  Batched<int> rows(
      crossing, 50, [&](std::vector<int>& items) { batches.push_back(items); }, 3);
  for (int i = 0; i < 8; ++i) rows.Add(i);
  EXPECT_EQ(crossing.RunAll(), 1u);
  EXPECT_EQ(crossing.RunAll(), 1u);
  rows.Add(8);  // joins the parts still to cross
  EXPECT_EQ(crossing.RunAll(), 1u);
  EXPECT_EQ(crossing.RunAll(), 0u);
  EXPECT_EQ(batches, (std::vector<std::vector<int>>{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}));
  batches.clear();
  for (int i = 9; i < 15; ++i) rows.Add(i);
  rows.Flush();
  size_t delivered_before_marker = 0;
  crossing.Post([&] { delivered_before_marker = batches.size(); }, 0);
  crossing.RunAll();
  EXPECT_EQ(delivered_before_marker, 2u);
  EXPECT_EQ(batches, (std::vector<std::vector<int>>{{9, 10, 11}, {12, 13, 14}}));
  crossing.RunAll();
  EXPECT_EQ(batches.size(), 2u);
}

// A worker that asks waits for the receiving thread's answer.
TEST(Crossing, AQuestionWaitsForItsAnswer) {
  HeldCrossing crossing;
  int answer = 0;
  std::thread worker([&] { answer = crossing.Ask<int>([] { return 6; }); });
  while (crossing.RunAll() == 0) std::this_thread::yield();
  worker.join();
  EXPECT_EQ(answer, 6);
  EXPECT_EQ(crossing.Ask<int>([] { return 7; }), 7);  // asked on the receiving thread itself
}

}  // namespace
}  // namespace rescuva::session
