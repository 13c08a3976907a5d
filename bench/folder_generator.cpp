#include "bench/folder_generator.h"

#include <algorithm>
#include <vector>

#include "engine/byte_order.h"
#include "engine/file_info_block.h"
#include "engine/folder_file_header.h"
#include "engine/message_block.h"
#include "platform/scratch_files.h"

namespace rescuva::bench {
namespace {

constexpr uint32_t kSlot = 0x210;
constexpr uint32_t kDeletedBlockSize = 0x1FC;
constexpr uint32_t kBrokenNext = 0xFFFFFF00;
constexpr uint64_t kScatterStep = 1000003;  // a prime: i * step mod n visits every slot

size_t BlocksOf(const std::string& text) {
  return std::max<size_t>(1, (text.size() + engine::kBlockDataSize - 1) / engine::kBlockDataSize);
}

// The slot of every block, message after message: runs of blocks placed in a
// scrambled order when the layout spreads them.
std::vector<uint32_t> PlanSlots(size_t count, const MessageSource& source, Layout layout) {
  struct Run {
    size_t first_block;
    size_t length;
  };
  std::vector<Run> runs;
  size_t blocks = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t n = BlocksOf(source(i).text);
    for (size_t j = 0; j < n;) {
      const size_t length =
          layout.max_run == 0 ? n : std::min<size_t>(n - j, 1 + (i * 7 + j * 13) % layout.max_run);
      runs.push_back({blocks + j, length});
      j += length;
    }
    blocks += n;
  }
  uint64_t step = layout.max_run == 0 ? 1 : kScatterStep;
  while (step > 1 && runs.size() % step == 0) step += 2;
  // run r goes to place r * step mod (number of runs)
  std::vector<size_t> order(runs.size());
  for (size_t r = 0; r < runs.size(); ++r) order[r * step % runs.size()] = r;
  std::vector<uint32_t> slots(blocks);
  uint32_t next = 0;
  for (size_t r : order) {
    for (size_t k = 0; k < runs[r].length; ++k) slots[runs[r].first_block + k] = next++;
  }
  return slots;
}

}  // namespace

bool WriteGeneratedFolder(const std::string& path, size_t count, const MessageSource& source,
                          Layout layout) {
  const std::vector<uint32_t> slots = PlanSlots(count, source, layout);
  const std::vector<uint8_t> file_info =
      layout.folder_name.empty() ? std::vector<uint8_t>{}
                                 : engine::FileInfoBlock{layout.folder_name, 0}.Encode();
  const uint64_t first_slot = engine::kFolderFileHeaderSize + file_info.size();
  auto slot_offset = [&](uint64_t n) {
    return static_cast<uint32_t>(first_slot + uint64_t{slots[n]} * kSlot);
  };

  platform::OutputFile file;
  if (!file.Create(path, true)) return false;
  bool ok = true;
  auto put = [&](uint64_t at, std::span<const uint8_t> bytes) {
    return ok = ok && file.WriteAt(at, bytes);
  };

  std::vector<uint32_t> records;
  std::vector<engine::MessageInfo> infos;
  std::vector<std::pair<uint32_t, uint64_t>> existing;  // first block, size
  uint64_t next_slot = 0;
  std::vector<uint8_t> block(kSlot);
  for (size_t i = 0; i < count && ok; ++i) {
    const GeneratedMessage message = source(i);
    const size_t blocks = BlocksOf(message.text);
    uint32_t previous = 0;
    for (size_t b = 0; b < blocks; ++b) {
      const uint32_t at = slot_offset(next_slot + b);
      uint32_t next = b + 1 < blocks ? slot_offset(next_slot + b + 1) : 0;
      if (message.broken_chain && b == 1) next = kBrokenNext;
      const size_t from = b * engine::kBlockDataSize;
      const size_t n = std::min<size_t>(engine::kBlockDataSize, message.text.size() - from);
      std::fill(block.begin(), block.end(), 0);
      std::copy_n(message.text.begin() + static_cast<ptrdiff_t>(from), n,
                  block.begin() + engine::kBlockHeaderSize);
      engine::MessageBlockHeader header{at, engine::kBlockDataSize, static_cast<uint32_t>(n), next};
      if (message.deleted) {
        // what deletion leaves: a changed size, a full data length, and the previous
        // block's offset over the first four bytes of text
        header = {at, kDeletedBlockSize, kSlot, next};
        engine::StoreLe32(&block[engine::kBlockHeaderSize], previous);
      }
      const auto encoded = header.Encode();
      std::copy(encoded.begin(), encoded.end(), block.begin());
      put(at, block);
      previous = at;
    }
    if (!message.deleted) {
      existing.emplace_back(slot_offset(next_slot), message.text.size());
      infos.push_back(message.info);
    }
    next_slot += blocks;
  }

  uint64_t end = first_slot + uint64_t{slots.size()} * kSlot;
  for (size_t i = 0; i < existing.size() && ok; ++i) {
    const auto at = static_cast<uint32_t>(end);
    const auto record = engine::BuildMessageInfoRecord(infos[i], static_cast<uint32_t>(i + 1),
                                                       existing[i].first, existing[i].second, at);
    put(at, record);
    records.push_back(at);
    end += record.size();
  }
  engine::FolderFileHeader header;
  header.file_info_length = static_cast<uint32_t>(file_info.size());
  if (!file_info.empty()) put(engine::kFolderFileHeaderSize, file_info);
  if (!records.empty()) {
    header.message_count = static_cast<uint32_t>(records.size());
    header.index_root = engine::WriteIndexTree(records, end, put);
  }
  put(0, header.Encode());
  return file.Close() && ok;
}

}  // namespace rescuva::bench
