#include "disk/disk_map.h"

#include <tsk/libtsk.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "disk/tsk_image.h"

namespace rescuva::disk {
namespace {

constexpr uint64_t kMostResident = 64 << 10;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct FileWalk {
  const TSK_FS_INFO* fs;
  DiskFile* file;
  bool resident = false;
};

// Each block of a file: its place in the image, joined to the extent before it when it
// goes on where that one ends.
TSK_WALK_RET_ENUM OnBlock(TSK_FS_FILE*, TSK_OFF_T offset, TSK_DADDR_T address, char*, size_t length,
                          TSK_FS_BLOCK_FLAG_ENUM flags, void* data) {
  auto* walk = static_cast<FileWalk*>(data);
  if (flags & TSK_FS_BLOCK_FLAG_RES) {
    walk->resident = true;
    return TSK_WALK_CONT;
  }
  DiskFile& file = *walk->file;
  if (file.deleted && (flags & TSK_FS_BLOCK_FLAG_ALLOC) && !file.reallocated) {
    file.reallocated = true;
    file.reallocated_from = static_cast<uint64_t>(offset);
  }
  const bool sparse = flags & TSK_FS_BLOCK_FLAG_SPARSE;
  const uint64_t at = sparse ? 0
                             : static_cast<uint64_t>(walk->fs->offset) +
                                   static_cast<uint64_t>(address) * walk->fs->block_size;
  const auto from = static_cast<uint64_t>(offset);
  if (!file.extents.empty()) {
    Extent& last = file.extents.back();
    if (last.sparse == sparse && last.file_offset + last.length == from &&
        (sparse || last.image_offset + last.length == at)) {
      last.length += length;
      return TSK_WALK_CONT;
    }
  }
  file.extents.push_back({from, at, length, sparse});
  return TSK_WALK_CONT;
}

struct DirWalk {
  const TSK_FS_INFO* fs;
  size_t volume;
  std::vector<DiskFile>* files;
  const std::atomic<bool>* stop;
};

TSK_WALK_RET_ENUM OnFile(TSK_FS_FILE* entry, const char* path, void* data) {
  auto* walk = static_cast<DirWalk*>(data);
  if (*walk->stop) return TSK_WALK_STOP;
  if (!entry->name || !entry->meta || entry->meta->type != TSK_FS_META_TYPE_REG) {
    return TSK_WALK_CONT;
  }
  const std::string name = entry->name->name ? entry->name->name : "";
  if (!IsStoreFileName(name)) return TSK_WALK_CONT;
  DiskFile file;
  file.volume = walk->volume;
  file.path = "/" + std::string(path ? path : "") + name;
  file.inode = entry->meta->addr;
  file.deleted = (entry->name->flags & TSK_FS_NAME_FLAG_UNALLOC) ||
                 (entry->meta->flags & TSK_FS_META_FLAG_UNALLOC);
  file.size = entry->meta->size > 0 ? static_cast<uint64_t>(entry->meta->size) : 0;
  FileWalk blocks{walk->fs, &file};
  tsk_fs_file_walk(entry, TSK_FS_FILE_WALK_FLAG_AONLY, OnBlock, &blocks);
  if (blocks.resident) {
    // a file small enough to live inside its record: its bytes are kept as they are (a
    // record holds a few hundred bytes; a size claiming more is not believed)
    file.extents.clear();
    file.size = std::min<uint64_t>(file.size, kMostResident);
    file.resident.resize(static_cast<size_t>(file.size));
    const ssize_t read = tsk_fs_file_read(entry, 0, reinterpret_cast<char*>(file.resident.data()),
                                          file.resident.size(), TSK_FS_FILE_READ_FLAG_NONE);
    file.resident.resize(read > 0 ? static_cast<size_t>(read) : 0);
  }
  walk->files->push_back(std::move(file));
  return TSK_WALK_CONT;
}

// The mail files of the file system at `offset`; false when there is none there.
bool MapFileSystem(TSK_IMG_INFO* image, DiskVolume& volume, size_t index, DiskMap& map,
                   const std::atomic<bool>& stop) {
  TSK_FS_INFO* fs =
      tsk_fs_open_img(image, static_cast<TSK_OFF_T>(volume.offset), TSK_FS_TYPE_DETECT);
  if (!fs) return false;
  volume.file_system = tsk_fs_type_toname(fs->ftype);
  DirWalk walk{fs, index, &map.mail_files, &stop};
  const auto flags = static_cast<TSK_FS_DIR_WALK_FLAG_ENUM>(
      TSK_FS_DIR_WALK_FLAG_ALLOC | TSK_FS_DIR_WALK_FLAG_UNALLOC | TSK_FS_DIR_WALK_FLAG_RECURSE);
  if (tsk_fs_dir_walk(fs, fs->root_inum, flags, OnFile, &walk) != 0 && !stop) {
    map.notes.push_back(volume.description + ": its folders could not all be read (" +
                        tsk_error_get() + ")");
    tsk_error_reset();
  }
  tsk_fs_close(fs);
  return true;
}

// A deleted name of a file that is still allocated under another name is the same file.
void DropDeletedNamesOfLiveFiles(std::vector<DiskFile>& files) {
  std::set<std::pair<size_t, uint64_t>> live;
  for (const DiskFile& file : files) {
    if (!file.deleted) live.insert({file.volume, file.inode});
  }
  std::erase_if(files, [&](const DiskFile& file) {
    return file.deleted && live.contains({file.volume, file.inode});
  });
}

}  // namespace

bool IsStoreFileName(const std::string& name) {
  const std::string lower = Lower(name);
  return lower == "folders.nch" || lower.ends_with(".dbx") || lower.ends_with(".mbx") ||
         lower.ends_with(".idx") || lower.ends_with(".bak");
}

DiskMap MapDisk(const platform::ByteSource& source, const std::atomic<bool>& stop) {
  DiskMap map;
  const auto image = TskImage::Open(source);
  if (!image) return map;
  if (TSK_VS_INFO* system = tsk_vs_open(image->Info(), 0, TSK_VS_TYPE_DETECT)) {
    for (TSK_PNUM_T i = 0; i < system->part_count && !stop; ++i) {
      const TSK_VS_PART_INFO* part = tsk_vs_part_get(system, i);
      if (!part || !(part->flags & TSK_VS_PART_FLAG_ALLOC)) continue;
      DiskVolume volume{part->start * system->block_size, part->len * system->block_size,
                        part->desc ? part->desc : "partition", ""};
      const size_t index = map.volumes.size();
      map.volumes.push_back(volume);
      if (!MapFileSystem(image->Info(), map.volumes.back(), index, map, stop)) {
        map.notes.push_back("volume " + std::to_string(index + 1) + " (" + volume.description +
                            "): no file system The Sleuth Kit reads");
        tsk_error_reset();
      }
    }
    tsk_vs_close(system);
  } else {
    tsk_error_reset();
    map.volumes.push_back({0, source.Length(), "whole image", ""});
    if (!MapFileSystem(image->Info(), map.volumes.back(), 0, map, stop)) {
      map.volumes.clear();
      tsk_error_reset();
    }
  }
  DropDeletedNamesOfLiveFiles(map.mail_files);
  return map;
}

}  // namespace rescuva::disk
