// Joins PDF documents into one, page by page, as they come: each is copied whole when
// it is added, so nothing of it needs to stay.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPDF;

namespace rescuva::saving {

class PdfBinder {
 public:
  PdfBinder();
  ~PdfBinder();
  PdfBinder(const PdfBinder&) = delete;
  PdfBinder& operator=(const PdfBinder&) = delete;

  // False, with `error` set, when `pdf` is no document that can be read.
  bool Add(const std::vector<uint8_t>& pdf, std::string& error);
  size_t Documents() const { return documents_; }
  // The joined document; nothing, with `error` set, when it cannot be written.
  std::optional<std::vector<uint8_t>> Bytes(std::string& error);

 private:
  std::unique_ptr<QPDF> joined_;
  size_t documents_ = 0;
};

}  // namespace rescuva::saving
