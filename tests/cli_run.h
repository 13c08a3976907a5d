// Runs rescuva-cli (or a whole command line) through the shell, its output and errors
// kept in files of the test's folder.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/folder_builder.h"

namespace rescuva::testing {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

// `command` true: `args` is the whole command line.
inline CliResult RunCli(const std::string& folder, const std::string& args, bool command = false) {
  const std::string out = folder + "/out.txt", err = folder + "/err.txt";
  const std::string line = command ? args : std::string(RESCUVA_CLI) + " " + args;
  const int status = std::system((line + " >" + out + " 2>" + err).c_str());
  return {WEXITSTATUS(status), ReadFileText(out), ReadFileText(err)};
}

}  // namespace rescuva::testing
