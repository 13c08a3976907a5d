#include "engine/source_digester.h"

#include <algorithm>
#include <array>

namespace rescuva::engine {
namespace {

constexpr size_t kMostQueued = 8;
constexpr size_t kZeroRun = 64 << 10;
constexpr uint64_t kPiece = 4 << 20;

}  // namespace

SourceDigester::SourceDigester() {
  for (Lane& lane : lanes_) lane.thread = std::thread([this, &lane] { Work(lane); });
}

SourceDigester::~SourceDigester() {
  Close();
}

void SourceDigester::Close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (Lane& lane : lanes_) {
    if (lane.thread.joinable()) lane.thread.join();
  }
}

void SourceDigester::Add(std::vector<uint8_t> bytes, size_t skip, uint64_t length) {
  auto piece = std::make_shared<const Piece>(Piece{std::move(bytes), skip, length});
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] {
    return std::all_of(std::begin(lanes_), std::end(lanes_),
                       [](const Lane& lane) { return lane.queue.size() < kMostQueued; });
  });
  for (Lane& lane : lanes_) lane.queue.push_back(piece);
  changed_.notify_all();
}

platform::DigestSet SourceDigester::Finish() {
  Close();
  return {lanes_[0].digest, lanes_[1].digest, lanes_[2].digest};
}

void SourceDigester::Work(Lane& lane) {
  static const std::array<uint8_t, kZeroRun> kZeros{};
  for (;;) {
    std::shared_ptr<const Piece> piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return closing_ || !lane.queue.empty(); });
      if (lane.queue.empty()) break;
      piece = std::move(lane.queue.front());
      lane.queue.pop_front();
    }
    changed_.notify_all();
    if (!piece->bytes.empty()) {
      lane.hasher.Update(
          std::span(piece->bytes).subspan(piece->skip, static_cast<size_t>(piece->length)));
      continue;
    }
    for (uint64_t left = piece->length; left > 0;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kZeroRun));
      lane.hasher.Update(std::span(kZeros).first(n));
      left -= n;
    }
  }
  lane.digest = lane.hasher.HexDigest();
}

RunEnding DigestWholeSource(const platform::ByteSource& source,
                            const std::function<bool(uint64_t bytes)>& step,
                            platform::DigestSet& digests) {
  digests = {};
  SourceDigester digester;
  const uint64_t length = source.Length();
  for (uint64_t at = 0; at < length;) {
    const uint64_t data = std::min(source.NextData(at), length);
    uint64_t size = data - at;
    std::vector<uint8_t> bytes;
    if (size == 0) {
      size = std::min(kPiece, length - at);
      bytes.resize(static_cast<size_t>(size));
      if (!source.ReadAt(at, bytes)) return RunEnding::kReadError;
    }
    size = std::min(size, kPiece);
    digester.Add(std::move(bytes), 0, size);
    at += size;
    if (!step(size)) return RunEnding::kStopped;
  }
  digests = digester.Finish();
  return RunEnding::kDone;
}

}  // namespace rescuva::engine
