// What a disk image holds for the recovery: its volumes (through The Sleuth Kit's
// volume system, or the whole image as one volume when it has no partition table),
// the file system of each that The Sleuth Kit reads, and every Outlook Express mail
// file on them, allocated or deleted, with the places of its bytes in the image.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "store/mail_store.h"

namespace rescuva::disk {

using Extent = store::FileExtent;

struct DiskVolume {
  uint64_t offset = 0;  // in the image, in bytes
  uint64_t length = 0;
  std::string description;  // the partition table's, or "whole image"
  std::string file_system;  // "fat32", "ntfs", ...; empty when none was read
};

struct DiskFile {
  size_t volume = 0;
  std::string path;    // from the file system's root, "/" between names
  uint64_t inode = 0;  // inode, MFT entry or The Sleuth Kit's number for a FAT entry
  bool deleted = false;
  // A deleted file some of whose blocks another file has taken since: what they hold
  // from `reallocated_from` on is not this file's.
  bool reallocated = false;
  uint64_t reallocated_from = 0;
  uint64_t size = 0;
  std::vector<Extent> extents;    // in file order
  std::vector<uint8_t> resident;  // the bytes of a file kept inside its metadata record
};

struct DiskMap {
  std::vector<DiskVolume> volumes;
  std::vector<DiskFile> mail_files;
  std::vector<std::string> notes;  // volumes not read, and why
};

// Whether a file name is one an Outlook Express store is made of: *.dbx, *.mbx, *.idx,
// folders.nch, and the *.bak copies it leaves (any case).
bool IsStoreFileName(const std::string& name);

// Maps the image; `stop` ends the walk early with what was found.
DiskMap MapDisk(const platform::ByteSource& image, const std::atomic<bool>& stop);

}  // namespace rescuva::disk
