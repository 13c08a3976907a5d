#include "saving/message_sinks.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "engine/folder_file_writer.h"
#include "loader/message_loader.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

constexpr size_t kChunk = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Hands the file's bytes to `take` in chunks; false when the file cannot be read or
// `take` refuses a chunk.
template <typename Take>
bool ForEachChunk(const std::string& path, Take take) {
  InputFile in(std::fopen(path.c_str(), "rb"));
  if (!in) return false;
  std::vector<uint8_t> buffer(kChunk);
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
    if (!take(std::span<const uint8_t>(buffer.data(), n))) return false;
  }
  return !std::ferror(in.get());
}

class EmlFolderSink : public MessageSink {
 public:
  explicit EmlFolderSink(std::string folder) : folder_(std::move(folder)) {}

  bool Add(const SaveItem& item, const std::string& path, std::string& error) override {
    platform::OutputFile out;
    const std::string stem = SafeFileStem(item.subject) + "_" + std::to_string(item.offset);
    const std::string target = CreateUniqueFile(folder_, stem, ".eml", out);
    if (target.empty()) {
      error = "cannot create a file in " + folder_;
      return false;
    }
    const bool copied = ForEachChunk(path, [&](auto bytes) { return out.Write(bytes); });
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

  bool Add(const SaveItem&, const std::string& path, std::string& error) override {
    const auto message = loader::LoadMessageFile(path, false);
    engine::MessageInfo info;
    if (message) {
      info = {message->sent_time,     message->received_time,   message->subject,
              message->message_id,    message->sender_name,     message->sender_address,
              message->receiver_name, message->receiver_address};
    }
    writer_.BeginMessage();
    bool written = true;
    const bool read = ForEachChunk(path, [&](auto bytes) {
      written = writer_.AppendText(bytes);
      return written;
    });
    const bool ended = writer_.EndMessage(info);
    if (ended && read && written) return true;
    error = !written || (read && !ended) ? "cannot write the folder file: " + writer_.Error()
                                         : "cannot read the extracted message";
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

  bool Add(const SaveItem&, const std::string& path, std::string& error) override {
    const auto message = loader::LoadMessageFile(path, false);
    std::string separator =
        "From " + (message && !message->sender_address.empty() ? message->sender_address
                                                               : std::string("MAILER-DAEMON"));
    separator += " " + AsciiTime(message ? message->received_time.value_or(0) : 0) + "\n";
    std::string text;
    if (!ForEachChunk(path, [&](auto bytes) {
          text.append(bytes.begin(), bytes.end());
          return true;
        })) {
      error = "cannot read the extracted message";
      return false;
    }
    std::string out = separator;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      const size_t quotes = text.find_first_not_of('>', start);
      if (quotes != std::string::npos && text.compare(quotes, 5, "From ") == 0) out += '>';
      out.append(text, start, end - start);
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
