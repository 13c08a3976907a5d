#include "disk/file_source.h"

#include <algorithm>
#include <cstring>

namespace rescuva::disk {

// Bytes no extent holds (past the end, or a deleted file's blocks that could not be
// placed) read as zeros, as bytes past a source's end do.
bool FileSource::ReadAt(uint64_t position, std::span<uint8_t> out) const {
  std::memset(out.data(), 0, out.size());
  if (!file_.resident.empty()) {
    if (position < file_.resident.size()) {
      const size_t n =
          static_cast<size_t>(std::min<uint64_t>(out.size(), file_.resident.size() - position));
      std::memcpy(out.data(), file_.resident.data() + position, n);
    }
    return true;
  }
  const uint64_t end = position + out.size();
  auto it = std::upper_bound(
      file_.extents.begin(), file_.extents.end(), position,
      [](uint64_t at, const Extent& extent) { return at < extent.file_offset + extent.length; });
  for (; it != file_.extents.end() && it->file_offset < end; ++it) {
    const uint64_t from = std::max(position, it->file_offset);
    const uint64_t to = std::min(end, it->file_offset + it->length);
    if (it->sparse || from >= to) continue;
    const auto into =
        out.subspan(static_cast<size_t>(from - position), static_cast<size_t>(to - from));
    if (!image_.ReadAt(it->image_offset + (from - it->file_offset), into)) return false;
  }
  return true;
}

}  // namespace rescuva::disk
