// Stage 3 against the number of orphan chains: deleted messages scattered over the
// file, rebuilt and extracted as the product does it (each message held in memory,
// no scratch copy, a scratch folder of the run's own). Doubling the chains should at
// most double the time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"
#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Times stage 3 alone: from its status text to the end of the scan.
class StageClock : public rescuva::engine::RecoveryReporter {
 public:
  void SetStatus(const std::string& text) override {
    if (text == "Process((3/4)) Finding lost emails ...") started = Clock::now();
    if (text.starts_with("Recovery done")) ended = Clock::now();
  }
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  void AddRecoveredMessage(const rescuva::engine::ExtractedMessage&) override { ++messages; }
  Clock::time_point started, ended;
  size_t messages = 0;
};

std::string FolderWith(size_t chains) {
  // the run's own folder, removed at its end: two runs never share an input
  static const rescuva::platform::ScratchFolder inputs;
  const std::string path = inputs.Path() + "chains-" + std::to_string(chains) + ".dbx";
  if (!std::filesystem::exists(path)) {
    rescuva::bench::WriteGeneratedFolder(
        path, chains, [](size_t i) { return rescuva::bench::GeneratedMail(i, true); }, {1});
  }
  return path;
}

void RebuildLostMessages(benchmark::State& state) {
  const std::string path = FolderWith(static_cast<size_t>(state.range(0)));
  size_t messages = 0;
  for (auto _ : state) {
    StageClock clock;
    rescuva::platform::ScratchFolder scratch;
    rescuva::engine::DbxRecoveryEngine engine(clock, scratch.Path());
    engine.SetScratchCopies(false);
    engine.OpenSource(path);
    engine.ScanForLostBlocks();
    state.SetIterationTime(std::chrono::duration<double>(clock.ended - clock.started).count());
    messages = clock.messages;
  }
  state.counters["chains"] = static_cast<double>(state.range(0));
  state.counters["messages"] = static_cast<double>(messages);
}

BENCHMARK(RebuildLostMessages)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
