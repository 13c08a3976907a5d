// rescuva-evidence-bench CLI FOLDER_FILE WORK_FOLDER: rescuva-cli on disk images.
// First the scan of a 2 GiB image of random bytes (no mail, in the page cache) beside
// `cat IMAGE >/dev/null` on the same image, in turns, medians of three; then the
// folder file placed inside a sparse 64 GiB image, past 48 GiB and away from any
// cluster boundary: the messages listed and the peak memory, beside the folder file
// listed on its own.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/cli_run.h"

namespace {

using rescuva::bench::CliRun;

double CatSeconds(const std::string& file) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::execlp("cat", "cat", file.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void WriteNoise(const std::string& path, uint64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 random(7);
  std::vector<uint64_t> block(1 << 17);
  for (uint64_t written = 0; written < bytes; written += block.size() * 8) {
    for (auto& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * 8));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: rescuva-evidence-bench CLI FOLDER_FILE WORK_FOLDER\n");
    return 2;
  }
  const std::string cli = argv[1], folder_file = argv[2], work = argv[3];

  const std::string noise = work + "/rescuva-bench-noise-2g.img";
  if (!std::filesystem::exists(noise)) WriteNoise(noise, uint64_t{2} << 30);
  CatSeconds(noise);  // into the page cache
  std::vector<double> cat, scan;
  for (int i = 0; i < 3; ++i) {
    cat.push_back(CatSeconds(noise));
    scan.push_back(rescuva::bench::RunCli(cli, noise, work).seconds);
  }
  std::printf("== a 2 GiB image without mail, in the page cache (medians of 3, in turns)\n");
  std::printf("cat IMAGE >/dev/null  %.3f s\n", Median(cat));
  std::printf("rescuva-cli IMAGE     %.3f s  (%.2f times cat, %.0f MiB/s)\n", Median(scan),
              Median(scan) / Median(cat), 2048 / Median(scan));

  const std::string sparse = work + "/rescuva-bench-sparse-64g.img";
  constexpr uint64_t kAt = (uint64_t{48} << 30) + (1 << 20) + 512;
  {
    std::ofstream(sparse, std::ios::binary);
    std::filesystem::resize_file(sparse, uint64_t{64} << 30);
    std::ifstream in(folder_file, std::ios::binary);
    std::fstream out(sparse, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(kAt));
    out << in.rdbuf();
  }
  const CliRun alone = rescuva::bench::RunCli(cli, folder_file, work);
  const CliRun inside = rescuva::bench::RunCli(cli, sparse, work);
  std::printf("== %s alone, and inside a sparse 64 GiB image at %llu\n",
              std::filesystem::path(folder_file).filename().c_str(),
              static_cast<unsigned long long>(kAt));
  std::printf("alone   %lu messages, %.2f s, peak memory %.1f MB\n", alone.messages, alone.seconds,
              static_cast<double>(alone.usage.ru_maxrss) / 1024.0);
  std::printf("inside  %lu messages, %.2f s, peak memory %.1f MB\n", inside.messages,
              inside.seconds, static_cast<double>(inside.usage.ru_maxrss) / 1024.0);
  std::filesystem::remove(sparse);
  return 0;
}
