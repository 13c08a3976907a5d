// rescuva-listing-bench FILE CLI: lists a whole folder file with rescuva-cli (engine,
// loader and catalogue) three times and reports the median run's messages per second
// and the peak memory, beside the baseline of reading the same file once from start
// to end.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return text;
}

struct Listing {
  double seconds = 0;
  unsigned long messages = 0;
  std::string timings;
  int status = 0;
  struct rusage usage {};
};

Listing ListOnce(const char* folder_file, const char* cli) {
  Listing result;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return result;
  const auto start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::close(out[0]);
    ::close(err[0]);
    ::execl(cli, cli, "--quiet", "--timings", folder_file, nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  const std::string listing = ReadAll(out[0]);
  result.timings = ReadAll(err[0]);
  ::wait4(child, &result.status, 0, &result.usage);
  result.seconds = Seconds(start);
  const size_t summary =
      listing.size() < 2 ? std::string::npos : listing.rfind('\n', listing.size() - 2);
  result.messages =
      std::strtoul(listing.c_str() + (summary == std::string::npos ? 0 : summary + 1), nullptr, 10);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rescuva-listing-bench FOLDER_FILE RESCUVA_CLI\n");
    return 2;
  }
  const auto read_start = Clock::now();
  int fd = ::open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  std::vector<char> chunk(1 << 20);
  uint64_t size = 0;
  for (ssize_t n; (n = ::read(fd, chunk.data(), chunk.size())) > 0;)
    size += static_cast<uint64_t>(n);
  ::close(fd);
  const double read_seconds = Seconds(read_start);

  std::vector<Listing> runs;
  for (int i = 0; i < 3; ++i) runs.push_back(ListOnce(argv[1], argv[2]));
  std::sort(runs.begin(), runs.end(),
            [](const Listing& a, const Listing& b) { return a.seconds < b.seconds; });
  const Listing& median = runs[1];
  const unsigned long messages = median.messages;
  const double seconds = median.seconds;
  const std::string& timings = median.timings;
  const int status = median.status;
  const struct rusage& usage = median.usage;

  std::printf("folder file         %.1f MB\n", static_cast<double>(size) / 1e6);
  std::printf("baseline: read once %.2f s\n", read_seconds);
  std::printf("rescuva-cli listing %.2f s (median of 3: %.2f, %.2f, %.2f), exit %d\n", seconds,
              runs[0].seconds, runs[1].seconds, runs[2].seconds, WEXITSTATUS(status));
  std::printf("processor time      %.2f s user, %.2f s system\n",
              static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6,
              static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6);
  std::printf("messages listed     %lu\n", messages);
  std::printf("messages per second %.0f\n", static_cast<double>(messages) / seconds);
  std::printf("peak memory         %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::printf("%s", timings.c_str());
  return WEXITSTATUS(status);
}
