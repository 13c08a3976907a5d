#include "saving/message_sinks.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <vector>

#include "engine/folder_file_writer.h"
#include "saving/mail_status.h"
#include "saving/output_names.h"

namespace rescuva::saving {
namespace {

class EmlFolderSink : public MessageSink {
 public:
  explicit EmlFolderSink(std::string folder) : folder_(std::move(folder)) {}

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    platform::OutputFile out;
    const std::string stem = SafeFileStem(item.subject) + "_" + std::to_string(item.offset);
    const std::string target = CreateUniqueFile(folder_, stem, ".eml", out);
    if (target.empty()) {
      error = "cannot create a file in " + folder_;
      return false;
    }
    const bool copied = out.Write(bytes);
    if (out.Close() && copied) {
      const auto date = MessageDate(info);
      if (date && !SetModificationTime(target, *date) && undated_++ == 0) {
        undated_reason_ = std::strerror(errno);
      }
      return true;
    }
    error = "cannot write " + target + ": " + out.Error();
    platform::RemoveFile(target);
    return false;
  }
  bool Finish() override { return true; }
  std::vector<std::string> Notes() const override {
    if (undated_ == 0) return {};
    return {std::to_string(undated_) + " files in " + folder_ +
            " could not be dated as their messages (" + undated_reason_ + ")"};
  }

 private:
  std::string folder_;
  size_t undated_ = 0;  // saved files the message's date could not be set on
  std::string undated_reason_;
};

class FolderFileSink : public MessageSink {
 public:
  bool Open(const std::string& path, const std::string& folder_name) {
    return writer_.Create(path, {folder_name, 0});
  }

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
// With `mozilla_status`, each message starts with the X-Mozilla-Status and Status
// headers its flags give, as Thunderbird's own folders hold them.
class MboxSink : public MessageSink {
 public:
  explicit MboxSink(bool mozilla_status) : mozilla_status_(mozilla_status) {}
  bool Open(const std::string& path) { return file_.Create(path, true); }

  bool Add(const SaveItem&, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    std::string separator =
        "From " + (!info.sender_address.empty() ? info.sender_address : "MAILER-DAEMON");
    separator += " " + AsciiTime(MessageDate(info).value_or(0)) + "\n";
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string out = separator;
    if (mozilla_status_) out += MozillaStatusLines(info.flags.value_or(0), LineEnd(text));
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

  bool mozilla_status_;
  platform::OutputFile file_;
};

// One sink a folder of the store, in a tree of folders below the destination.
class TreeSink : public MessageSink {
 public:
  bool Open(const SaveRequest& request, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(request.destination, ec)) {
      error = "cannot create " + request.destination + " (not a folder)";
      return false;
    }
    for (const auto& names : request.folders) {
      SaveRequest folder = request;
      folder.folders.clear();
      folder.folder_name = names.empty() ? "" : names.back();
      fs::path at = request.destination;
      for (size_t i = 0; i < names.size(); ++i) {
        const std::string name = SafeFileStem(names[i]);
        const bool last = i + 1 == names.size();
        switch (request.format) {
          case SaveFormat::SaveAsMboxTree:
            at /= last ? name : name + ".sbd";
            break;
          case SaveFormat::SaveAsDbx:
            at /= last ? name + ".dbx" : name;
            break;
          default:
            at /= name;
        }
      }
      folder.destination = at.string();
      const fs::path folder_of = request.format == SaveFormat::SaveAsEml ? at : at.parent_path();
      fs::create_directories(folder_of, ec);
      if (ec) {
        error = "cannot create " + folder_of.string() + ": " + ec.message();
        return false;
      }
      folder.format =
          request.format == SaveFormat::SaveAsMboxTree ? SaveFormat::SaveAsMbox : request.format;
      auto sink = request.format == SaveFormat::SaveAsMboxTree ? OpenMbox(folder.destination, true)
                                                               : OpenSink(folder, error);
      if (!sink) {
        if (error.empty()) error = "cannot create " + folder.destination;
        return false;
      }
      sinks_.push_back(std::move(sink));
    }
    return true;
  }

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    if (item.folder < 0 || static_cast<size_t>(item.folder) >= sinks_.size()) {
      error = "the message names no folder of the store";
      return false;
    }
    return sinks_[item.folder]->Add(item, bytes, info, error);
  }
  bool Finish() override {
    bool finished = true;
    for (auto& sink : sinks_) finished = sink->Finish() && finished;
    return finished;
  }
  std::vector<std::string> Notes() const override {
    std::vector<std::string> notes;
    for (const auto& sink : sinks_) {
      const auto more = sink->Notes();
      notes.insert(notes.end(), more.begin(), more.end());
    }
    return notes;
  }

 private:
  std::vector<std::unique_ptr<MessageSink>> sinks_;
};

}  // namespace

std::unique_ptr<MessageSink> OpenMbox(const std::string& path, bool mozilla_status) {
  auto sink = std::make_unique<MboxSink>(mozilla_status);
  if (!sink->Open(path)) return nullptr;
  return sink;
}

std::unique_ptr<MessageSink> OpenSink(const SaveRequest& request, std::string& error) {
  if (!request.folders.empty() && request.format != SaveFormat::SaveAsMbox) {
    auto tree = std::make_unique<TreeSink>();
    if (tree->Open(request, error)) return tree;
    return nullptr;
  }
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
      if (sink->Open(request.destination, request.folder_name)) return sink;
      break;
    }
    case SaveFormat::SaveAsMbox:
    case SaveFormat::SaveAsMboxTree:
      if (auto sink = OpenMbox(request.destination, false)) return sink;
      break;
  }
  error =
      "cannot create " + request.destination +
      (request.format == SaveFormat::SaveAsEml ? " (not a folder)" : " (exists or not writable)");
  return nullptr;
}

}  // namespace rescuva::saving
