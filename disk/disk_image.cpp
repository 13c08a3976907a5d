#include "disk/disk_image.h"

#include <algorithm>

#include "platform/evidence.h"

namespace rescuva::disk {

std::optional<DiskImage> ReadDiskImage(const std::string& path, const std::string& scratch,
                                       const std::atomic<bool>& stop) {
  const platform::Evidence evidence = platform::OpenEvidence(path);
  if (!evidence.source) return std::nullopt;
  DiskMap map = MapDisk(*evidence.source, stop);
  if (std::none_of(map.volumes.begin(), map.volumes.end(),
                   [](const DiskVolume& volume) { return !volume.file_system.empty(); })) {
    return std::nullopt;
  }
  DiskImage image{ReadImageStores(*evidence.source, map, scratch, stop), std::move(map)};
  store::MailStore& store = image.stores.store;
  store.root = path;
  store.notes.insert(store.notes.end(), image.map.notes.begin(), image.map.notes.end());
  store.folders.push_back({kCarvedName, -1, path, store::MailFormat::kFolderFile, 0});
  store.folders.back().carved = true;
  return image;
}

}  // namespace rescuva::disk
