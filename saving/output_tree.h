// Where each folder of a store goes when it is saved as a tree: the folders (directories)
// below the destination and the name of each folder's output in one of them. Names are
// made safe first and unique afterwards, compared as a file system that ignores case
// compares them, so no two folders ever share an output. Nesting stops at a bound the
// file systems' path limits allow: deeper folders are saved side by side in the deepest
// folder that fits, with a note. Linear in the number of folders, whatever their depth.
#pragma once

#include <string>
#include <vector>

#include "saving/save_request.h"

namespace rescuva::saving {

struct OutputTree {
  struct Container {
    int parent = -1;  // the container it lies in; -1 for the destination
    std::string name;
    int folder = -1;  // the store folder whose subfolders it holds
  };
  struct Output {
    int container = -1;  // where the output lies; -1 for the destination
    std::string name;    // the EML folder, the .dbx file or the mbox file
  };
  std::vector<Container> containers;
  std::vector<Output> outputs;  // by store folder
  std::vector<std::string> notes;

  // The names from the destination down to `container`, none for the destination.
  std::vector<std::string> PathOf(int container) const;
};

// Folders nest at most this deep, and their names take at most this many bytes of a
// path below the destination.
inline constexpr int kMaxTreeDepth = 48;
inline constexpr size_t kMaxTreePath = 2800;

// The tree for the store's folders (parents before children) in `format`: an EML
// folder holds its subfolders, an mbox file has them in a folder of its name with
// ".sbd". Folder files lie side by side in the destination, as in a store folder, whose
// folder list keeps their nesting; they never take the names of a store's own files
// (Folders.dbx, Offline.dbx, Pop3uidl.dbx) and only names the ANSI code page holds.
OutputTree PlanOutputTree(const std::vector<SaveFolder>& folders, SaveFormat format);

}  // namespace rescuva::saving
