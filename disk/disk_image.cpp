#include "disk/disk_image.h"

#include <algorithm>

#include "platform/evidence.h"

namespace rescuva::disk {

std::optional<ImageStores> ReadDiskImage(const std::string& path, const std::string& scratch,
                                         const std::atomic<bool>& stop) {
  const platform::Evidence evidence = platform::OpenEvidence(path);
  if (!evidence.source) return std::nullopt;
  const DiskMap map = MapDisk(*evidence.source, stop);
  if (std::none_of(map.volumes.begin(), map.volumes.end(),
                   [](const DiskVolume& volume) { return !volume.file_system.empty(); })) {
    return std::nullopt;
  }
  ImageStores image = ReadImageStores(*evidence.source, map, scratch, stop);
  store::MailStore& store = image.store;
  store.root = path;
  store.notes.insert(store.notes.end(), map.notes.begin(), map.notes.end());
  store.folders.push_back({kCarvedName, -1, path, store::MailFormat::kFolderFile, 0});
  store.folders.back().carved = true;
  return image;
}

}  // namespace rescuva::disk
