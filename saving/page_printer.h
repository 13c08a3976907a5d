// What turns a printed page into a PDF document: the window program's browser engine.
// The save calls it on its own thread and waits for each page.
#pragma once

#include <string>
#include <vector>

namespace rescuva::saving {

class PagePrinter {
 public:
  virtual ~PagePrinter() = default;
  // `archive` is a MIME HTML page; false, with `error` set, when it could not be
  // printed.
  virtual bool Print(const std::string& archive, std::vector<uint8_t>& pdf, std::string& error) = 0;
  // Ends a Print waiting on another thread at once with a failure, and refuses every
  // later one: for the thread that prints, before it waits for the save.
  virtual void Abandon() = 0;
};

}  // namespace rescuva::saving
