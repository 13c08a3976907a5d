#include "bench/cli_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace rescuva::bench {
namespace {

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return text;
}

uint64_t BytesBelow(const std::string& folder) {
  uint64_t total = 0;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    // a file removed meanwhile has no size (file_size then says -1)
    std::error_code size_error;
    if (!it->is_regular_file(size_error)) continue;
    const uintmax_t size = it->file_size(size_error);
    if (!size_error) total += size;
  }
  return total;
}

// RssAnon of a running process, in bytes; 0 once it has ended.
uint64_t PrivateBytes(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("RssAnon:", 0) == 0) return std::strtoull(line.c_str() + 8, nullptr, 10) * 1024;
  }
  return 0;
}

}  // namespace

double Seconds(const struct timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

CliRun RunCli(const std::string& cli, const std::string& folder_file,
              const std::string& temp_parent) {
  CliRun result;
  std::string temp_folder = temp_parent + "/run-XXXXXX";
  if (::mkdtemp(temp_folder.data()) == nullptr) return result;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return result;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::close(out[0]);
    ::close(err[0]);
    ::setenv("TMPDIR", temp_folder.c_str(), 1);
    ::execl(cli.c_str(), cli.c_str(), "--quiet", "--timings", folder_file.c_str(), nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  std::atomic<bool> running{true};
  std::thread watcher([&] {
    while (running) {
      result.peak_scratch_bytes = std::max(result.peak_scratch_bytes, BytesBelow(temp_folder));
      result.peak_private_bytes = std::max(result.peak_private_bytes, PrivateBytes(child));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  std::string listing;
  std::thread errors([&] { result.timings = ReadAll(err[0]); });
  listing = ReadAll(out[0]);
  errors.join();
  ::wait4(child, &result.status, 0, &result.usage);
  running = false;
  watcher.join();
  std::filesystem::remove_all(temp_folder);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // "N messages (...)", after "F folders (...), " for a store
  const size_t counted = listing.rfind(" messages (");
  const size_t number =
      counted == std::string::npos ? std::string::npos : listing.find_last_of(" \n", counted - 1);
  result.messages =
      counted == std::string::npos
          ? 0
          : std::strtoul(listing.c_str() + (number == std::string::npos ? 0 : number + 1), nullptr,
                         10);
  return result;
}

}  // namespace rescuva::bench
