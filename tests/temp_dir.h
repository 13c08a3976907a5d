// A fresh folder for one test, removed afterwards. It also becomes TMPDIR, so the
// engine's scratch folder of this test lies inside it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace rescuva::testing {

class TempDir {
 public:
  TempDir() {
    const char* previous = std::getenv("TMPDIR");
    if (previous) previous_ = previous;
    std::string pattern = (std::filesystem::temp_directory_path() / "rescuva-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~TempDir() {
    if (previous_.empty()) {
      unsetenv("TMPDIR");
    } else {
      setenv("TMPDIR", previous_.c_str(), 1);
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

}  // namespace rescuva::testing
