#include "saving/output_tree.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "engine/windows_1252.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

// The name a folder's output and its subfolders' folder take, for one base name.
struct Names {
  std::string output;
  std::string inner;
};

// Names a store folder keeps for files that hold no mail of a folder.
constexpr const char* kStoreFileNames[] = {"Folders.dbx", "Offline.dbx", "Pop3uidl.dbx"};

Names NamesFor(const std::string& base, SaveFormat format) {
  switch (format) {
    case SaveFormat::SaveAsDbx:
      return {base + ".dbx", base};
    case SaveFormat::SaveAsMbox:
    case SaveFormat::SaveAsMboxTree:
      return {base, base + ".sbd"};
    case SaveFormat::SaveAsEml:
    case SaveFormat::SaveAsAttachments:
    case SaveFormat::SaveAsPdf:
    case SaveFormat::SaveAsCsv:
      break;
  }
  return {base, base};
}

}  // namespace

std::vector<std::string> OutputTree::PathOf(int container) const {
  std::vector<std::string> path;
  for (int at = container; at >= 0 && path.size() <= containers.size();
       at = containers[static_cast<size_t>(at)].parent) {
    path.push_back(containers[static_cast<size_t>(at)].name);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

OutputTree PlanOutputTree(const std::vector<SaveFolder>& folders, SaveFormat format) {
  OutputTree tree;
  tree.outputs.resize(folders.size());
  // what each folder's subfolders go into, made when the first of them is placed
  std::vector<int> inner(folders.size(), -1);
  std::vector<std::string> inner_names(folders.size());
  struct Place {
    int depth = 0;
    size_t length = 0;  // bytes of the names from the destination down
  };
  std::vector<Place> places;  // by container
  auto place_of = [&](int container) {
    return container < 0 ? Place{} : places[static_cast<size_t>(container)];
  };
  std::unordered_set<std::string> taken;  // "container/name", case folded
  std::unordered_map<std::string, int> next_number;
  auto key = [](int container, const std::string& name) {
    return std::to_string(container) + "/" + engine::AsciiLower(name);
  };
  size_t flattened = 0;
  int flat_in = -1;
  const bool flat = format == SaveFormat::SaveAsDbx;
  if (flat) {
    for (const char* name : kStoreFileNames) taken.insert(key(-1, name));
  }
  for (size_t f = 0; f < folders.size(); ++f) {
    const int parent = folders[f].parent;
    int container = -1;
    if (!flat && parent >= 0 && static_cast<size_t>(parent) < f) {
      const auto p = static_cast<size_t>(parent);
      const int beside = tree.outputs[p].container;
      const Place at = place_of(beside);
      const size_t length = at.length + inner_names[p].size() + 1;
      if (at.depth < kMaxTreeDepth && length <= kMaxTreePath) {
        if (inner[p] < 0) {
          inner[p] = static_cast<int>(tree.containers.size());
          tree.containers.push_back({beside, inner_names[p], parent});
          places.push_back({at.depth + 1, length});
        }
        container = inner[p];
      } else {
        container = beside;  // too deep: beside its parent, in the deepest folder that fits
        ++flattened;
        flat_in = beside;
      }
    }
    // a folder list names a folder file in the ANSI code page; what it cannot hold is
    // made safe here, so the name read back is the file's
    const std::string base = SafeFileStem(
        flat ? engine::FromWindows1252(engine::ToWindows1252(folders[f].name)) : folders[f].name);
    Names names = NamesFor(base, format);
    // numbers go on where the last folder of that name in that place stopped
    int& n = next_number[key(container, base)];
    while (taken.contains(key(container, names.output)) ||
           taken.contains(key(container, names.inner))) {
      n = std::max(n, 1) + 1;
      names = NamesFor(base + " (" + std::to_string(n) + ")", format);
    }
    taken.insert(key(container, names.output));
    taken.insert(key(container, names.inner));
    tree.outputs[f] = {container, names.output};
    inner_names[f] = names.inner;
  }
  if (flattened > 0) {
    std::string where;
    for (const std::string& name : tree.PathOf(flat_in)) where += name + "/";
    tree.notes.push_back(std::to_string(flattened) +
                         " folders lie deeper than a file system allows; they are saved side by "
                         "side in " +
                         (where.empty() ? std::string("the destination") : where));
  }
  return tree;
}

}  // namespace rescuva::saving
