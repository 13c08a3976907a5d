// rescuva-create-files SOURCE_DIR DEST_DIR: the baseline of an EML save. Reads every
// file of SOURCE_DIR into memory, then times a plain loop creating the same files,
// with the same names and bytes, in the empty folder DEST_DIR.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rescuva-create-files SOURCE_DIR DEST_DIR\n");
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    std::ifstream in(entry.path(), std::ios::binary);
    files.emplace_back(entry.path().filename().string(),
                       std::string(std::istreambuf_iterator<char>(in), {}));
  }
  const auto start = std::chrono::steady_clock::now();
  for (const auto& [name, bytes] : files) {
    const std::string path = std::string(argv[2]) + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      std::perror(path.c_str());
      return 1;
    }
    ::close(fd);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("creating %zu files: %.2f s\n", files.size(), seconds);
  return 0;
}
