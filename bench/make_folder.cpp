// rescuva-make-folder: writes a large fragmented folder file for the benchmarks: each
// message cut into runs of up to MAX_RUN blocks (1: every block on its own), the runs
// of all messages spread over the file, every DELETED_EVERY-th message deleted.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 5) {
    std::fprintf(
        stderr,
        "usage: rescuva-make-folder OUTPUT [MESSAGES=80000] [DELETED_EVERY=4] [MAX_RUN=4]\n");
    return 2;
  }
  const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 80000;
  const size_t every = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 4;
  const auto max_run = static_cast<unsigned>(argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 4);
  const bool ok = rescuva::bench::WriteGeneratedFolder(
      argv[1], count,
      [every](size_t i) {
        return rescuva::bench::GeneratedMail(i, every > 0 && i % every == every - 1);
      },
      {max_run});
  if (!ok) std::fprintf(stderr, "cannot write %s (it must not exist yet)\n", argv[1]);
  return ok ? 0 : 1;
}
