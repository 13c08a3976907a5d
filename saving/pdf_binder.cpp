#include "saving/pdf_binder.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace rescuva::saving {

PdfBinder::PdfBinder() : joined_(std::make_unique<QPDF>()) {
  joined_->setSuppressWarnings(true);
  joined_->emptyPDF();
}

PdfBinder::~PdfBinder() = default;

bool PdfBinder::Add(const std::vector<uint8_t>& pdf, std::string& error) {
  try {
    QPDF part;
    part.setSuppressWarnings(true);
    part.processMemoryFile("page", reinterpret_cast<const char*>(pdf.data()), pdf.size());
    // the pages' content is copied now, while `pdf` is still there
    part.setImmediateCopyFrom(true);
    QPDFPageDocumentHelper pages(*joined_);
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(part).getAllPages()) {
      pages.addPage(page, false);
    }
    ++documents_;
    return true;
  } catch (const std::exception& e) {
    error = std::string("a printed page could not be joined: ") + e.what();
    return false;
  }
}

std::optional<std::vector<uint8_t>> PdfBinder::Bytes(std::string& error) {
  try {
    QPDFWriter writer(*joined_);
    writer.setOutputMemory();
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    const uint8_t* data = buffer->getBuffer();
    return std::vector<uint8_t>(data, data + buffer->getSize());
  } catch (const std::exception& e) {
    error = std::string("the joined document could not be written: ") + e.what();
    return std::nullopt;
  }
}

}  // namespace rescuva::saving
