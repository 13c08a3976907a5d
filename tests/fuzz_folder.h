// A fuzz target's own folder for the files it writes: made private (mode 0700) with a
// name no other process can guess, and removed with everything in it when the run ends.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace rescuva::testing {

class FuzzFolder {
 public:
  FuzzFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rescuva-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;
  ~FuzzFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  // Writes `size` bytes as the file `name` of the folder; its path, empty when it
  // could not be written.
  std::string Write(const std::string& name, const uint8_t* data, size_t size) const {
    const std::string path = path_ + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return out ? path : std::string();
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace rescuva::testing
