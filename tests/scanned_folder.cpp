#include "tests/scanned_folder.h"

#include <cstdlib>
#include <filesystem>

namespace rescuva::testing {

namespace {

std::string SourceRoot() {
  const char* root = std::getenv("RESCUVA_SOURCE");
  return root ? root : ".";
}

}  // namespace

std::string SamplePath() {
  return SourceRoot() + "/samples/sample.dbx";
}

std::string Fixture(const std::string& name) {
  return SourceRoot() + "/tests/fixtures/real/" + name;
}

std::string CopyOfSample(const std::string& folder) {
  const std::string copy = folder + "/sample-copy.dbx";
  std::filesystem::copy_file(SamplePath(), copy, std::filesystem::copy_options::overwrite_existing);
  return copy;
}

}  // namespace rescuva::testing
