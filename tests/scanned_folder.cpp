#include "tests/scanned_folder.h"

#include <cstdlib>
#include <filesystem>

namespace rescuva::testing {

std::string SamplePath() {
  const char* root = std::getenv("RESCUVA_SOURCE");
  return std::string(root ? root : ".") + "/samples/sample.dbx";
}

std::string CopyOfSample(const std::string& folder) {
  const std::string copy = folder + "/sample-copy.dbx";
  std::filesystem::copy_file(SamplePath(), copy, std::filesystem::copy_options::overwrite_existing);
  return copy;
}

}  // namespace rescuva::testing
