#include "disk/image_stores.h"

#include <filesystem>
#include <map>
#include <tuple>

#include "disk/file_source.h"
#include "engine/windows_1252.h"
#include "platform/scratch_files.h"

namespace rescuva::disk {
namespace {

namespace fs = std::filesystem;

std::string VolumeName(const DiskMap& map, size_t volume) {
  std::string kind = map.volumes[volume].file_system;
  for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "Volume " + std::to_string(volume + 1) + (kind.empty() ? "" : " (" + kind + ")");
}

// Copies what the file holds up to the first block another file has taken since; a
// copy that cannot be written whole is no copy.
// What of a file is copied: up to the end of its last placed bytes (a size its record
// claims beyond them holds nothing), and up to the first block taken since.
uint64_t CopiedLength(const DiskFile& file) {
  uint64_t placed = file.resident.size();
  for (const Extent& extent : file.extents) {
    if (!extent.sparse) placed = std::max(placed, extent.file_offset + extent.length);
  }
  uint64_t length = std::min(file.size, placed);
  if (file.reallocated) length = std::min(length, file.reallocated_from);
  return length;
}

bool CopyOut(const platform::ByteSource& image, const DiskFile& file, const std::string& path) {
  const FileSource source(image, file);
  const uint64_t length = CopiedLength(file);
  platform::OutputFile out;
  if (!out.Create(path, true)) return false;
  std::vector<uint8_t> bytes(1 << 20);
  bool written = true;
  for (uint64_t at = 0; at < length && written; at += bytes.size()) {
    const auto chunk =
        std::span(bytes).first(static_cast<size_t>(std::min<uint64_t>(bytes.size(), length - at)));
    written = source.ReadAt(at, chunk) && out.Write(chunk);
  }
  return out.Close() && written;
}

// The name of the branch of the store that lay in `folder` (a path from the volume's
// root): "alice, identity {3C1A...}" for an identity's store, else the path as Windows
// writes it.
std::string PlaceName(const std::string& folder) {
  std::vector<std::string> parts;
  for (const auto& part : fs::path(folder)) {
    if (part != "/" && !part.empty()) parts.push_back(part.string());
  }
  auto lower = [](std::string text) { return engine::AsciiLower(text); };
  std::string user;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string name = lower(parts[i]);
    if (name == "documents and settings" || name == "users") user = parts[i + 1];
    if (name == "identities" && i + 1 < parts.size()) {
      return (user.empty() ? std::string("identity ") : user + ", identity ") + parts[i + 1];
    }
  }
  std::string place;
  for (const std::string& part : parts) place += "\\" + part;
  return place.empty() ? "\\" : place;
}

}  // namespace

ImageStores ReadImageStores(const platform::ByteSource& image, const DiskMap& map,
                            const std::string& scratch, const std::atomic<bool>& stop) {
  ImageStores result;
  // the files of one folder, live or deleted, make one store
  std::map<std::tuple<size_t, bool, std::string>, std::vector<const DiskFile*>> groups;
  for (const DiskFile& file : map.mail_files) {
    groups[{file.volume, file.deleted, fs::path(file.path).parent_path().string()}].push_back(
        &file);
  }
  std::map<size_t, int> volume_branch;
  std::map<size_t, int> deleted_branch;
  auto add_folder = [&](const std::string& name, int parent) {
    result.store.folders.push_back({name, parent, "", store::MailFormat::kNone, 0});
    return static_cast<int>(result.store.folders.size() - 1);
  };
  size_t number = 0;
  uint64_t copied = 0;
  for (const auto& [key, files] : groups) {
    if (stop) break;
    const auto& [volume, deleted, folder] = key;
    const std::string copy_folder = scratch + "image-" + std::to_string(++number);
    std::error_code ec;
    fs::create_directories(copy_folder, ec);
    std::map<std::string, int> taken;
    for (const DiskFile* file : files) {
      // crafted file systems may name the same blocks for many files: the copies
      // together never take more room than the image
      if (copied + CopiedLength(*file) > image.Length()) {
        result.store.notes.push_back(VolumeName(map, volume) + " " + file->path +
                                     ": not copied; the files found would take more room "
                                     "than the image holds");
        continue;
      }
      copied += CopiedLength(*file);
      std::string name = fs::path(file->path).filename().string();
      if (taken[engine::AsciiLower(name)]++ > 0) {
        name = fs::path(name).stem().string() + " (" +
               std::to_string(taken[engine::AsciiLower(name)]) + ")" +
               fs::path(name).extension().string();
      }
      const std::string copy = copy_folder + "/" + name;
      if (!CopyOut(image, *file, copy)) {
        result.store.notes.push_back(VolumeName(map, volume) + " " + file->path +
                                     ": could not be copied out of the image");
        continue;
      }
      result.files.push_back({copy, *file, VolumeName(map, volume)});
    }
    const store::MailStore found = store::ReadStore(copy_folder);
    if (found.folders.empty()) continue;
    if (!volume_branch.contains(volume))
      volume_branch[volume] = add_folder(VolumeName(map, volume), -1);
    int parent = volume_branch[volume];
    if (deleted) {
      if (!deleted_branch.contains(volume)) deleted_branch[volume] = add_folder("Deleted", parent);
      parent = deleted_branch[volume];
    }
    const int place = add_folder(PlaceName(folder), parent);
    const size_t first = result.store.folders.size();
    store::AppendStore(result.store, found, place);
    for (size_t f = first; f < result.store.folders.size(); ++f) {
      store::StoreFolder& added = result.store.folders[f];
      for (const ImageFile& copied : result.files) {
        if (copied.copy != added.file) continue;
        const DiskFile& file = copied.file;
        added.on_disk = store::FileOnDisk{copied.volume, file.path,        file.inode,
                                          file.deleted,  file.reallocated, file.extents};
      }
    }
  }
  return result;
}

}  // namespace rescuva::disk
