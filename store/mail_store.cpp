#include "store/mail_store.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <unordered_set>

#include "engine/file_info_block.h"
#include "engine/oe4_mailbox.h"
#include "engine/windows_1252.h"
#include "platform/source_file.h"
#include "store/folder_records.h"

namespace rescuva::store {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxSearchDepth = 8;

// The files of one store folder by what their headers say.
struct StoreFiles {
  std::string folder_list;  // Folders.dbx
  std::string oe4_list;     // folders.nch
  std::vector<std::string> mail;
  std::vector<MailFormat> formats;
};

engine::FolderFileKind KindOf(const std::string& path) {
  platform::SourceFile file;
  std::array<uint8_t, 8> bytes{};
  if (!file.Open(path) || !file.ReadAt(0, bytes)) return engine::FolderFileKind::kOther;
  return engine::KindOfFolderFile(bytes);
}

bool IsOe4Mailbox(const std::string& path) {
  platform::SourceFile file;
  return file.Open(path) && engine::Oe4Mailbox::IsMailbox(file);
}

// The entries of a folder; a folder that cannot be read, or whose listing breaks off,
// is noted with the system's reason.
std::vector<fs::directory_entry> ListFolder(const fs::path& folder,
                                            std::vector<std::string>& notes) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) entries.push_back(*it);
  if (ec) notes.push_back(folder.string() + ": the folder cannot be read (" + ec.message() + ")");
  return entries;
}

StoreFiles ClassifyFiles(const fs::path& folder, std::vector<std::string>& notes) {
  StoreFiles files;
  std::vector<fs::path> paths;
  std::error_code ec;
  for (const auto& entry : ListFolder(folder, notes)) {
    if (entry.is_regular_file(ec)) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    const std::string name = engine::AsciiLower(path.filename().string());
    const std::string extension = engine::AsciiLower(path.extension().string());
    if (name == "folders.nch") {
      files.oe4_list = path.string();
    } else if (extension == ".mbx") {
      if (IsOe4Mailbox(path.string())) {
        files.mail.push_back(path.string());
        files.formats.push_back(MailFormat::kOe4Mailbox);
      }
    } else if (extension == ".dbx" || extension == ".bak") {
      switch (KindOf(path.string())) {
        case engine::FolderFileKind::kFolderList:
          if (files.folder_list.empty()) files.folder_list = path.string();
          break;
        case engine::FolderFileKind::kOffline:
          notes.push_back(path.string() +
                          ": offline actions of a server account, no mail; skipped");
          break;
        case engine::FolderFileKind::kPop3Ids:
          notes.push_back(path.string() +
                          ": ids of messages left on a POP3 server, no mail; skipped");
          break;
        case engine::FolderFileKind::kMessages:
          files.mail.push_back(path.string());
          files.formats.push_back(MailFormat::kFolderFile);
          break;
        case engine::FolderFileKind::kOther:
          // a damaged header: the engine reads what is left of a .dbx; a .bak is
          // believed only with its header
          if (extension == ".dbx") {
            files.mail.push_back(path.string());
            files.formats.push_back(MailFormat::kFolderFile);
          }
          break;
      }
    }
  }
  return files;
}

bool HoldsStore(const StoreFiles& files) {
  return !files.mail.empty() || !files.folder_list.empty() || !files.oe4_list.empty();
}

// Builds the tree of a store's folders; each store's below `top` (-1 for the tree's top).
class TreeBuilder {
 public:
  explicit TreeBuilder(MailStore& store) : store_(store) {}

  int Add(std::string name, int parent, int special) {
    if (name.empty()) name = "(no name)";
    std::string unique = name;
    for (int n = 2; !taken_.insert(SiblingKey(parent, unique)).second; ++n) {
      unique = name + " (" + std::to_string(n) + ")";
    }
    store_.folders.push_back({unique, parent, "", MailFormat::kNone, special});
    return static_cast<int>(store_.folders.size() - 1);
  }

  // The records as a tree; each record's mail file is taken from `files` by name.
  void AddRecords(const std::vector<FolderRecord>& records, StoreFiles& files, int top) {
    std::map<uint32_t, size_t> by_id;
    for (size_t i = 0; i < records.size(); ++i) by_id.emplace(records[i].id, i);
    std::vector<std::vector<size_t>> children(records.size());
    std::vector<size_t> tops;
    for (size_t i = 0; i < records.size(); ++i) {
      if (records[i].IsTreeRoot()) continue;
      const auto parent = by_id.find(records[i].parent);
      if (parent != by_id.end() && parent->second != i && !records[parent->second].IsTreeRoot()) {
        children[parent->second].push_back(i);
      } else {
        tops.push_back(i);
      }
    }
    std::vector<bool> added(records.size(), false);
    // depth first, parents before children, without recursion: a folder list may nest
    // as deep as it holds records
    std::vector<std::pair<size_t, int>> pending;
    auto add = [&](size_t first, int first_parent) {
      pending.emplace_back(first, first_parent);
      while (!pending.empty()) {
        const auto [i, parent] = pending.back();
        pending.pop_back();
        if (added[i]) continue;
        added[i] = true;
        int self = parent;
        // the local store's own root holds no mail: its folders are the tree's top
        if (!records[i].IsLocalRoot()) {
          self = Add(records[i].name, parent, records[i].special);
          TakeFile(self, records[i].file, files);
        }
        for (auto child = children[i].rbegin(); child != children[i].rend(); ++child) {
          pending.emplace_back(*child, self);
        }
      }
    };
    for (size_t i : tops) add(i, top);
    // records caught in a loop of parents are reached from none of the tops
    for (size_t i = 0; i < records.size(); ++i) {
      if (!records[i].IsTreeRoot()) add(i, top);
    }
  }

  // Mail files no record took, named from their own file-info block or file name.
  void AddUnnamed(StoreFiles& files, int top) {
    for (size_t i = 0; i < files.mail.size(); ++i) {
      if (files.mail[i].empty()) continue;
      std::string name = fs::path(files.mail[i]).stem().string();
      if (files.formats[i] == MailFormat::kFolderFile) {
        platform::SourceFile file;
        if (file.Open(files.mail[i])) {
          if (const auto info = engine::FileInfoBlock::Read(file)) name = info->folder_name;
        }
      }
      const int folder = Add(name, top, 0);
      store_.folders[folder].file = files.mail[i];
      store_.folders[folder].format = files.formats[i];
      files.mail[i].clear();
    }
  }

 private:
  // Sibling names compare as Windows compares file names.
  static std::string SiblingKey(int parent, const std::string& name) {
    return std::to_string(parent) + "/" + engine::AsciiLower(name);
  }

  void TakeFile(int folder, const std::string& file_name, StoreFiles& files) {
    if (file_name.empty()) return;
    for (size_t i = 0; i < files.mail.size(); ++i) {
      if (!files.mail[i].empty() &&
          engine::AsciiLower(fs::path(files.mail[i]).filename().string()) ==
              engine::AsciiLower(file_name)) {
        store_.folders[folder].file = files.mail[i];
        store_.folders[folder].format = files.formats[i];
        files.mail[i].clear();
        return;
      }
    }
  }

  MailStore& store_;
  std::unordered_set<std::string> taken_;  // every folder's SiblingKey
};

void ReadOneStore(StoreFiles files, MailStore& store, TreeBuilder& tree, int top) {
  if (!files.folder_list.empty()) {
    const auto records = ReadFolderList(files.folder_list);
    if (records.empty()) {
      store.notes.push_back(
          files.folder_list +
          ": the folder list could not be read; folders are named from their files");
    }
    tree.AddRecords(records, files, top);
  } else if (!files.oe4_list.empty()) {
    tree.AddRecords(ReadOe4FolderList(files.oe4_list), files, top);
  }
  tree.AddUnnamed(files, top);
}

// A store found: where it lies, its files, and what was noted of them.
struct FoundStore {
  fs::path folder;
  StoreFiles files;
  std::vector<std::string> notes;
};

// Folders that could not be read on the way are noted in `unread`.
void FindStores(const fs::path& folder, int depth, std::vector<FoundStore>& found,
                std::vector<std::string>& unread) {
  std::vector<std::string> notes;
  StoreFiles files = ClassifyFiles(folder, notes);
  if (HoldsStore(files)) {
    found.push_back({folder, std::move(files), std::move(notes)});
    return;
  }
  unread.insert(unread.end(), notes.begin(), notes.end());
  if (depth == kMaxSearchDepth) return;
  std::vector<fs::path> subfolders;
  std::error_code ec;
  std::vector<std::string> ignored;  // this folder's listing failed above already
  for (const auto& entry : ListFolder(folder, ignored)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec)) subfolders.push_back(entry.path());
  }
  std::sort(subfolders.begin(), subfolders.end());
  for (const fs::path& sub : subfolders) FindStores(sub, depth + 1, found, unread);
}

}  // namespace

std::vector<std::string> MailStore::PathOf(size_t folder) const {
  std::vector<std::string> path;
  for (int at = static_cast<int>(folder); at >= 0 && path.size() <= folders.size();
       at = folders[at].parent) {
    path.push_back(folders[at].name);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

std::string MailStore::PathText(size_t folder) const {
  std::string text;
  for (const std::string& name : PathOf(folder)) text += (text.empty() ? "" : "/") + name;
  return text;
}

std::vector<size_t> MailStore::MailFolders() const {
  std::vector<size_t> mail;
  for (size_t i = 0; i < folders.size(); ++i) {
    if (folders[i].format != MailFormat::kNone) mail.push_back(i);
  }
  return mail;
}

void AppendStore(MailStore& into, const MailStore& other, int parent) {
  const int base = static_cast<int>(into.folders.size());
  for (StoreFolder folder : other.folders) {
    folder.parent = folder.parent < 0 ? parent : folder.parent + base;
    into.folders.push_back(std::move(folder));
  }
  into.notes.insert(into.notes.end(), other.notes.begin(), other.notes.end());
}

bool IsStoreFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

MailStore ReadStore(const std::string& folder) {
  MailStore store;
  store.root = folder;
  std::vector<FoundStore> found;
  FindStores(folder, 0, found, store.notes);
  TreeBuilder tree(store);
  for (FoundStore& at : found) {
    store.notes.insert(store.notes.end(), at.notes.begin(), at.notes.end());
    int top = -1;
    if (found.size() > 1) {
      // each identity's tree below a folder named after where it lies
      std::string where;
      const fs::path relative = fs::relative(at.folder, folder);
      for (auto part = relative.begin(); part != relative.end() && where.empty(); ++part) {
        if (engine::AsciiLower(part->string()) == "identities") continue;
        where = part->string();
      }
      top = tree.Add(where, -1, 0);
    }
    ReadOneStore(std::move(at.files), store, tree, top);
  }
  return store;
}

}  // namespace rescuva::store
