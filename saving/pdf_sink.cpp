#include "saving/pdf_sink.h"

#include <unistd.h>

#include "engine/windows_1252.h"
#include "loader/print_page.h"
#include "loader/safe_text.h"
#include "saving/mail_status.h"
#include "saving/message_stem.h"
#include "saving/output_names.h"
#include "saving/pdf_binder.h"

namespace rescuva::saving {
namespace {

// The page of one message: loaded with its bodies; text that is no message (a
// fragment) as text, read as Windows-1252 when it is not UTF-8.
std::string PageOf(const SaveItem& item, std::span<const uint8_t> bytes,
                   const engine::MessageInfo& info) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  loader::PrintedHeader header{{}, {}, item.subject, MessageDate(info), item.cut};
  if (!item.fragment) {
    if (auto message = loader::LoadMessage({text.data(), text.size()})) {
      header.from = message->from;
      header.to = message->to;
      return loader::PrintArchive(*message, header);
    }
  }
  return loader::PrintTextArchive(
      loader::IsValidUtf8(text) ? std::string(text) : engine::FromWindows1252(text), header);
}

class PdfSink : public MessageSink {
 public:
  explicit PdfSink(const SaveRequest& request) : request_(request) {}

  bool Open(std::string& error) {
    if (request_.one_pdf) {
      if (one_.Create(request_.destination, true)) return true;
      error = "cannot create " + request_.destination + ": " + one_.Error();
      return false;
    }
    if (folder_.Open(request_.destination)) return true;
    error = folder_.Error();
    return false;
  }

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    std::vector<uint8_t> pdf;
    if (!request_.printer->Print(PageOf(item, bytes, info), pdf, error)) return false;
    if (request_.one_pdf) return binder_.Add(pdf, error);
    std::string undated;
    saved_as_ = WriteDatedFile(folder_, MessageStem(request_, item, info), ".pdf", pdf,
                               MessageDate(info), error, &undated);
    undated_.Add(undated);
    return !saved_as_.empty();
  }
  std::string SavedAs() const override { return saved_as_; }
  std::vector<std::string> Notes() const override { return undated_.Notes(folder_.Path()); }
  std::string Error() const override { return error_; }

  bool Finish() override {
    if (!request_.one_pdf) return true;
    const auto joined = binder_.Bytes(error_);
    if (!joined) {
      one_.Close();
      ::unlink(request_.destination.c_str());
      return false;
    }
    if (one_.Write(*joined) && one_.Close()) return true;
    error_ = one_.Error();
    ::unlink(request_.destination.c_str());  // no document rather than a broken one
    return false;
  }

 private:
  const SaveRequest& request_;
  platform::OutputFolder folder_;
  platform::OutputFile one_;  // the one file of all, made at once, written at the end
  PdfBinder binder_;
  std::string saved_as_;
  UndatedFiles undated_;
  std::string error_;
};

}  // namespace

std::unique_ptr<MessageSink> OpenPdfSink(const SaveRequest& request, std::string& error) {
  if (!request.printer) {
    error = "PDF files are printed by the window program's browser engine";
    return nullptr;
  }
  auto sink = std::make_unique<PdfSink>(request);
  if (!sink->Open(error)) return nullptr;
  return sink;
}

}  // namespace rescuva::saving
