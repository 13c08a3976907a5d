// One Outlook Express store as a tree of mail folders, each with the mail file that
// holds its messages, found in a folder the user chose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rescuva::store {

enum class MailFormat { kNone, kFolderFile, kOe4Mailbox };

// `length` bytes of a file from `file_offset` on lie at `image_offset` in a disk image;
// a sparse part lies nowhere (`sparse`) and reads as zeros.
struct FileExtent {
  uint64_t file_offset = 0;
  uint64_t image_offset = 0;
  uint64_t length = 0;
  bool sparse = false;
  bool operator==(const FileExtent&) const = default;
};

// Where a mail file copied out of a disk image lay in it.
struct FileOnDisk {
  std::string volume;  // the name of its volume's branch
  std::string path;    // from the file system's root
  uint64_t inode = 0;  // inode, MFT entry or The Sleuth Kit's number of a FAT entry
  bool deleted = false;
  bool reallocated = false;  // deleted, and some of its blocks are another file's now
  std::vector<FileExtent> extents;
};

struct StoreFolder {
  std::string name;  // UTF-8, unique among its siblings
  int parent = -1;   // index of the parent folder; -1 at the top of the tree
  std::string file;  // the mail file's path; empty when the folder has none
  MailFormat format = MailFormat::kNone;
  int special = 0;  // 1 Inbox, 2 Outbox, 3 Sent Items, 4 Deleted Items, 5 Drafts
  // The whole source of a disk image, scanned for what no file of it holds: its
  // messages are listed only when no other folder listed the same bytes.
  bool carved = false;
  // A mail file copied out of a disk image: where it lay.
  std::optional<FileOnDisk> on_disk;
};

struct MailStore {
  std::string root;  // the folder chosen
  // Parents before their children, siblings in the store's order.
  std::vector<StoreFolder> folders;
  // Files recognised and skipped, or read only in part, and why.
  std::vector<std::string> notes;

  // The names from the top of the tree down to `folder`.
  std::vector<std::string> PathOf(size_t folder) const;
  // The same joined by "/".
  std::string PathText(size_t folder) const;
  // The folders that have a mail file, in tree order.
  std::vector<size_t> MailFolders() const;
};

// The store in `folder`: a store folder (Outlook Express 5/6 or 4), or a folder above
// several stores (identities), each of whose trees then hangs below a folder named
// after where it lies. A folder holding no store gives a store without folders.
MailStore ReadStore(const std::string& folder);

// Adds `other`'s folders below the folder `parent` of `into` (-1: at the top), keeping
// their order and nesting, and its notes.
void AppendStore(MailStore& into, const MailStore& other, int parent);

// Whether `path` is a folder, to be read as a store rather than a folder file.
bool IsStoreFolder(const std::string& path);

}  // namespace rescuva::store
