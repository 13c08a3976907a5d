// The first word a command prints: the digest of md5sum, sha1sum and the like.
#pragma once

#include <cstdio>
#include <string>

namespace rescuva::testing {

inline std::string FirstWordOf(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  return out.substr(0, out.find_first_of(" \n"));
}

}  // namespace rescuva::testing
