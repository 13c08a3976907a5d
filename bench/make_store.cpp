// rescuva-make-store OUTPUT_FOLDER [MESSAGES=80000] [FOLDERS=20] [DELETED_EVERY=4]
// [MAX_RUN=4]: writes the messages rescuva-make-folder puts into one file as a store of
// FOLDERS folder files instead, message i in folder i % FOLDERS, each file naming its
// folder in its file-info block.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 6) {
    std::fprintf(stderr,
                 "usage: rescuva-make-store OUTPUT_FOLDER [MESSAGES=80000] [FOLDERS=20] "
                 "[DELETED_EVERY=4] [MAX_RUN=4]\n");
    return 2;
  }
  const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 80000;
  const size_t folders = argc > 3 ? std::max<size_t>(1, std::strtoul(argv[3], nullptr, 10)) : 20;
  const size_t every = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 4;
  const auto max_run = static_cast<unsigned>(argc > 5 ? std::strtoul(argv[5], nullptr, 10) : 4);
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  for (size_t f = 0; f < folders; ++f) {
    const std::string name = "Folder " + std::to_string(f + 1);
    const std::string path = std::string(argv[1]) + "/" + name + ".dbx";
    const size_t share = count / folders + (f < count % folders ? 1 : 0);
    rescuva::bench::Layout layout{max_run, name};
    const bool ok = rescuva::bench::WriteGeneratedFolder(
        path, share,
        [=](size_t k) {
          const size_t i = k * folders + f;
          return rescuva::bench::GeneratedMail(i, every > 0 && i % every == every - 1);
        },
        layout);
    if (!ok) {
      std::fprintf(stderr, "cannot write %s (it must not exist yet)\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
