#include "saving/message_sinks.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <vector>

#include "engine/folder_file_writer.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

class EmlFolderSink : public MessageSink {
 public:
  explicit EmlFolderSink(std::string folder) : folder_(std::move(folder)) {}

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo&,
           std::string& error) override {
    platform::OutputFile out;
    const std::string stem = SafeFileStem(item.subject) + "_" + std::to_string(item.offset);
    const std::string target = CreateUniqueFile(folder_, stem, ".eml", out);
    if (target.empty()) {
      error = "cannot create a file in " + folder_;
      return false;
    }
    const bool copied = out.Write(bytes);
    if (out.Close() && copied) return true;
    platform::RemoveFile(target);
    error = "cannot write " + target;
    return false;
  }
  bool Finish() override { return true; }

 private:
  std::string folder_;
};

class FolderFileSink : public MessageSink {
 public:
  bool Open(const std::string& path) { return writer_.Create(path); }

  bool Add(const SaveItem&, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    writer_.BeginMessage();
    const bool written = writer_.AppendText(bytes);
    if (writer_.EndMessage(info) && written) return true;
    error = "cannot write the folder file: " + writer_.Error();
    return false;
  }
  bool Finish() override { return writer_.Finish(); }

 private:
  engine::FolderFileWriter writer_;
};

// mboxrd: every line that starts with "From " after any number of '>' gets one more.
class MboxSink : public MessageSink {
 public:
  bool Open(const std::string& path) { return file_.Create(path, true); }

  bool Add(const SaveItem&, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    std::string separator =
        "From " + (!info.sender_address.empty() ? info.sender_address : "MAILER-DAEMON");
    separator += " " + AsciiTime(info.received_time.value_or(0)) + "\n";
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string out = separator;
    out.reserve(text.size() + separator.size() + 64);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      const size_t quotes = text.find_first_not_of('>', start);
      if (quotes != std::string::npos && text.substr(quotes, 5) == "From ") out += '>';
      out.append(text.substr(start, end - start));
      start = end;
    }
    if (out.back() != '\n') out += '\n';
    out += '\n';
    if (file_.Write({reinterpret_cast<const uint8_t*>(out.data()), out.size()})) return true;
    error = "cannot write the mbox file";
    return false;
  }
  bool Finish() override { return file_.Close(); }

 private:
  static std::string AsciiTime(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &utc);
    return text;
  }

  platform::OutputFile file_;
};

}  // namespace

std::unique_ptr<MessageSink> OpenSink(const SaveRequest& request, std::string& error) {
  switch (request.format) {
    case SaveFormat::SaveAsEml: {
      std::error_code ec;
      if (std::filesystem::is_directory(request.destination, ec)) {
        return std::make_unique<EmlFolderSink>(request.destination);
      }
      break;
    }
    case SaveFormat::SaveAsDbx: {
      auto sink = std::make_unique<FolderFileSink>();
      if (sink->Open(request.destination)) return sink;
      break;
    }
    case SaveFormat::SaveAsMbox: {
      auto sink = std::make_unique<MboxSink>();
      if (sink->Open(request.destination)) return sink;
      break;
    }
  }
  error =
      "cannot create " + request.destination +
      (request.format == SaveFormat::SaveAsEml ? " (not a folder)" : " (exists or not writable)");
  return nullptr;
}

}  // namespace rescuva::saving
