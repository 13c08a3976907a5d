#include "store/image_positions.h"

#include <algorithm>

namespace rescuva::store {

std::vector<engine::ByteRun> ImagePositions(const std::vector<engine::ByteRun>& runs,
                                            const std::vector<FileExtent>& extents) {
  std::vector<engine::ByteRun> placed;
  for (const engine::ByteRun& run : runs) {
    const uint64_t end = run.position + run.length;
    auto it = std::upper_bound(extents.begin(), extents.end(), run.position,
                               [](uint64_t at, const FileExtent& extent) {
                                 return at < extent.file_offset + extent.length;
                               });
    for (; it != extents.end() && it->file_offset < end; ++it) {
      const uint64_t from = std::max(run.position, it->file_offset);
      const uint64_t to = std::min(end, it->file_offset + it->length);
      if (it->sparse || from >= to) continue;
      placed.push_back({it->image_offset + (from - it->file_offset),
                        run.message_offset + (from - run.position), to - from});
    }
  }
  return placed;
}

}  // namespace rescuva::store
