// rescuva --print-pdf DIR | --print-one-pdf FILE [--scope all|existing|deleted]
// [--name TEMPLATE] [--repair] FILE|STORE: the window program's browser engine, without
// a window, prints every listed message to PDF as the preview shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rescuva::app {

// Whether the command line asks for printing rather than the window.
bool IsPrintCommand(const std::vector<std::string>& args);

// Runs the print command; its exit status: 0 done, 1 the file or store cannot be
// opened, 2 bad usage, 3 a PDF or a message could not be written. The application
// object exists.
int RunPrintCommand(const std::vector<std::string>& args);

}  // namespace rescuva::app
