#include "engine/source_digester.h"

#include <algorithm>
#include <array>

namespace rescuva::engine {
namespace {

constexpr size_t kMostQueued = 8;
constexpr size_t kZeroRun = 64 << 10;

}  // namespace

SourceDigester::SourceDigester() : thread_([this] { Work(); }) {}

SourceDigester::~SourceDigester() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SourceDigester::Add(std::vector<uint8_t> bytes, size_t skip, uint64_t length) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kMostQueued; });
  queue_.push_back({std::move(bytes), skip, length});
  changed_.notify_all();
}

std::vector<uint8_t> SourceDigester::TakeBuffer() {
  std::lock_guard lock(mutex_);
  if (spare_.empty()) return {};
  std::vector<uint8_t> bytes = std::move(spare_.back());
  spare_.pop_back();
  return bytes;
}

platform::DigestSet SourceDigester::Finish() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  return hasher_.Finish();
}

void SourceDigester::Work() {
  static const std::array<uint8_t, kZeroRun> kZeros{};
  for (;;) {
    Piece piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (queue_.empty()) return;
      piece = std::move(queue_.front());
      queue_.pop_front();
    }
    changed_.notify_all();
    if (piece.bytes.empty()) {
      for (uint64_t left = piece.length; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kZeroRun));
        hasher_.Update(std::span(kZeros).first(n));
        left -= n;
      }
      continue;
    }
    hasher_.Update(std::span(piece.bytes).subspan(piece.skip, static_cast<size_t>(piece.length)));
    std::lock_guard lock(mutex_);
    if (spare_.size() < kMostQueued) spare_.push_back(std::move(piece.bytes));
  }
}

}  // namespace rescuva::engine
