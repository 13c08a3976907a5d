// The file-info block of a message folder file, right after its header: where the
// file came from and the name its folder had when the file was made. It survives in
// the file when the folder list is lost.
//
//   +0x004   1  source type (3 local)
//   +0x005      account key, zero-terminated ("LocalStore" for local folders)
//   +0x105      folder name, zero-terminated, in the ANSI code page
//   +0x208   1  special folder (1 Inbox ... 5 Drafts; 0 none)
//   +0x210   1  account type (3 local)
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/folder_file_header.h"
#include "platform/source_file.h"

namespace rescuva::engine {

constexpr uint32_t kFileInfoAt = kFolderFileHeaderSize;  // right after the header
constexpr uint32_t kFileInfoSize = 0x618;  // as Outlook Express writes it for a mail folder

// What kind of Outlook Express file a header's first eight bytes say it is.
enum class FolderFileKind { kMessages, kFolderList, kPop3Ids, kOffline, kOther };
FolderFileKind KindOfFolderFile(std::span<const uint8_t> first_bytes);

struct FileInfoBlock {
  std::string folder_name;  // UTF-8
  uint8_t special_folder = 0;

  // The block of a local folder, kFileInfoSize bytes.
  std::vector<uint8_t> Encode() const;
  // The block of an open message folder file; nothing when the header names none or
  // it holds no folder name.
  static std::optional<FileInfoBlock> Read(const platform::SourceFile& file);
};

}  // namespace rescuva::engine
