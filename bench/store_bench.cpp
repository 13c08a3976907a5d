// rescuva-store-bench FILE STORE CLI: lists the same messages once as one folder file
// and once as a store of many folder files with rescuva-cli, in turns, three times
// each, and reports both medians and their ratio.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/cli_run.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: rescuva-store-bench FILE STORE CLI\n");
    return 2;
  }
  const std::string temp = std::filesystem::temp_directory_path().string();
  std::vector<rescuva::bench::CliRun> file_runs, store_runs;
  for (int turn = 0; turn < 3; ++turn) {
    file_runs.push_back(rescuva::bench::RunCli(argv[3], argv[1], temp));
    store_runs.push_back(rescuva::bench::RunCli(argv[3], argv[2], temp));
  }
  auto median = [](std::vector<rescuva::bench::CliRun>& runs) {
    std::sort(runs.begin(), runs.end(),
              [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    return runs[1];
  };
  const auto file = median(file_runs), store = median(store_runs);
  std::printf("one folder file  %.2f s, %lu messages\n", file.seconds, file.messages);
  std::printf("the store        %.2f s, %lu messages\n", store.seconds, store.messages);
  std::printf("store / file     %.2f\n", store.seconds / file.seconds);
  return 0;
}
