#include "saving/message_sinks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <vector>

#include "engine/folder_file_writer.h"
#include "engine/folder_list_writer.h"
#include "engine/windows_1252.h"
#include "loader/message_loader.h"
#include "saving/attachment_files.h"
#include "saving/mail_status.h"
#include "saving/message_stem.h"
#include "saving/output_names.h"
#include "saving/output_tree.h"
#include "saving/pdf_sink.h"

namespace rescuva::saving {
namespace {

// The sender as one token of the From line: an address with a blank, a line break or
// another control character in it (a folded quoted local part) would split the line.
std::string FromLineSender(const std::string& address) {
  const bool token = !address.empty() && std::none_of(address.begin(), address.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
  });
  return token ? address : "MAILER-DAEMON";
}

class EmlFolderSink : public MessageSink {
 public:
  // `request` outlives the sink.
  EmlFolderSink(platform::OutputFolder folder, const SaveRequest& request)
      : folder_(std::move(folder)), request_(request) {}

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    std::string undated;
    saved_as_ = WriteDatedFile(folder_, MessageStem(request_, item, info), ".eml", bytes,
                               MessageDate(info), error, &undated);
    undated_.Add(undated);
    if (saved_as_.empty()) return false;
    return !request_.attachments_beside || SaveBeside(bytes, info, error);
  }
  bool Finish() override { return true; }
  std::string SavedAs() const override { return saved_as_; }
  std::vector<std::string> Notes() const override { return undated_.Notes(folder_.Path()); }

 private:
  // The message's attachments in a folder named as its file, made only when it has any.
  bool SaveBeside(std::span<const uint8_t> bytes, const engine::MessageInfo& info,
                  std::string& error) {
    const std::vector<loader::Attachment> attachments = AttachmentsOf(bytes);
    if (attachments.empty()) return true;
    platform::OutputFolder beside;
    const std::string name = std::filesystem::path(saved_as_).stem().string();
    if (!folder_.Enter(name, beside)) {
      error =
          "saved as " + saved_as_ + ", but its attachments cannot go beside it: " + folder_.Error();
      return false;
    }
    return WriteAttachments(beside, attachments, "", MessageDate(info), error);
  }

  platform::OutputFolder folder_;
  const SaveRequest& request_;
  std::string saved_as_;
  UndatedFiles undated_;
};

// Every attachment of each message into one folder, named by its own name made safe,
// after the name the request's template gives the message when it has one.
class AttachmentSink : public MessageSink {
 public:
  // `request` outlives the sink.
  AttachmentSink(platform::OutputFolder folder, const SaveRequest& request)
      : folder_(std::move(folder)), request_(request) {}

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    const std::string prefix = request_.name ? TemplateStem(request_, item, info) : "";
    return WriteAttachments(folder_, AttachmentsOf(bytes), prefix, MessageDate(info), error);
  }
  bool Finish() override { return true; }

 private:
  platform::OutputFolder folder_;
  const SaveRequest& request_;
};

class FolderFileSink : public MessageSink {
 public:
  bool Open(int folder_fd, const std::string& name, const std::string& folder_name) {
    return writer_.CreateIn(folder_fd, name, {folder_name, 0});
  }
  std::string Error() const override { return writer_.Error(); }

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    writer_.BeginMessage();
    const bool written = writer_.AppendText(bytes);
    const bool ended = writer_.EndMessage(info);
    // what the index on disk does not name yet is kept only by a later checkpoint
    if (writer_.IndexedCount() == writer_.MessageCount()) unindexed_.clear();
    if (ended && written) {
      if (writer_.IndexedCount() < writer_.MessageCount()) {
        unindexed_.push_back({item.offset, item.subject, {}});
      }
      return true;
    }
    error = "cannot write the folder file: " + writer_.Error();
    return false;
  }
  bool Finish() override {
    const bool finished = writer_.Finish();
    if (writer_.IndexedCount() == writer_.MessageCount()) unindexed_.clear();
    for (SaveFailure& lost : unindexed_) {
      lost.reason = "written, but the folder file's index could not name it: " + writer_.Error();
    }
    return finished;
  }
  std::vector<SaveFailure> Unkept() const override { return unindexed_; }

 private:
  engine::FolderFileWriter writer_;
  std::vector<SaveFailure> unindexed_;  // saved since the last checkpoint
};

// mboxrd: every line that starts with "From " after any number of '>' gets one more.
// With `mozilla_status`, each message starts with the X-Mozilla-Status and Status
// headers its flags give, as Thunderbird's own folders hold them, and mail that came
// back from deletion is tagged so.
class MboxSink : public MessageSink {
 public:
  explicit MboxSink(bool mozilla_status) : mozilla_status_(mozilla_status) {}
  bool Open(int folder_fd, const std::string& name) {
    return file_.CreateIn(folder_fd, name, true);
  }

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    std::string separator = "From " + FromLineSender(info.sender_address);
    separator += " " + AsciiTime(MessageDate(info).value_or(0)) + "\n";
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string out = separator;
    // a message with an index record keeps its state; Thunderbird's folders say more
    if (mozilla_status_) {
      out +=
          MozillaStatusLines(info.flags.value_or(0), item.deleted || item.fragment, LineEnd(text));
    } else if (info.flags) {
      out += MboxStatusLines(*info.flags, LineEnd(text));
    }
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
    error = "cannot write the mbox file: " + file_.Error();
    return false;
  }
  bool Finish() override { return file_.Close(); }
  std::string Error() const override { return file_.Error(); }

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

// The folders of a store as a tree below the destination: each folder's output is
// made when its first message comes and completed when another folder's comes, so one
// output is open at a time and a folder without messages leaves nothing behind, but
// for an mbox file whose subfolders need it and a folder file's place in the folder
// list the tree's folder files get at the end.
class TreeSink : public MessageSink {
 public:
  bool Open(const SaveRequest& request, std::string& error) {
    request_ = request;
    if (!request.tree_top.empty()) {
      // one folder above all: every index moves one on
      request_.folders.insert(request_.folders.begin(), {request.tree_top, -1});
      for (size_t f = 1; f < request_.folders.size(); ++f) ++request_.folders[f].parent;
      shift_ = 1;
    }
    if (!root_.Open(request.destination)) {
      error = root_.Error();
      return false;
    }
    plan_ = PlanOutputTree(request_.folders, request_.format);
    opened_.assign(request_.folders.size(), false);
    return true;
  }

  bool Add(const SaveItem& item, std::span<const uint8_t> bytes, const engine::MessageInfo& info,
           std::string& error) override {
    // a single file's messages name no folder: they go into the tree's one folder
    const int folder = std::max(item.folder, 0) + shift_;
    if (static_cast<size_t>(folder) >= plan_.outputs.size()) {
      error = "the message names no folder of the store";
      return false;
    }
    if (folder != current_ && !Switch(folder, error)) return false;
    return sink_->Add(item, bytes, info, error);
  }
  std::string SavedAs() const override {
    const std::string inner = sink_ ? sink_->SavedAs() : std::string();
    return inner.empty() ? output_path_ : output_path_ + "/" + inner;
  }
  bool Finish() override {
    Complete();
    if (request_.format == SaveFormat::SaveAsMboxTree) CompleteParents();
    if (request_.format == SaveFormat::SaveAsDbx) WriteFolderList();
    return finished_;
  }
  std::vector<SaveFailure> Unkept() const override { return unkept_; }
  std::string Error() const override { return error_; }
  std::vector<std::string> Notes() const override {
    std::vector<std::string> notes = plan_.notes;
    notes.insert(notes.end(), notes_.begin(), notes_.end());
    return notes;
  }

 private:
  // Completes the open output, if any.
  bool Complete() {
    if (!sink_) return finished_;
    if (!sink_->Finish()) {
      finished_ = false;
      error_ = sink_->Error();
    }
    const auto more = sink_->Notes();
    notes_.insert(notes_.end(), more.begin(), more.end());
    const auto lost = sink_->Unkept();
    unkept_.insert(unkept_.end(), lost.begin(), lost.end());
    sink_.reset();
    return finished_;
  }
  // Enters the folders from the destination down to `container` one by one; `here` is
  // then the innermost, held in `held` unless it is the destination.
  bool EnterContainer(int container, platform::OutputFolder& held, platform::OutputFolder*& here,
                      std::string& error) {
    here = &root_;
    for (const std::string& name : plan_.PathOf(container)) {
      platform::OutputFolder inner;
      if (!here->Enter(name, inner)) {
        error = here->Error();
        return false;
      }
      held = std::move(inner);
      here = &held;
    }
    return true;
  }

  // An mbox file without messages for each folder that has subfolders in the tree, so
  // that mail programs show it above them.
  void CompleteParents() {
    for (const OutputTree::Container& container : plan_.containers) {
      if (container.folder < 0 || opened_[static_cast<size_t>(container.folder)]) continue;
      std::string error;
      if (Switch(container.folder, error)) {
        Complete();
      } else {
        finished_ = false;
        error_ = error;
      }
    }
  }

  // The folder list naming each saved folder file and the folders above it, so that
  // the destination reads back as the store it was saved from.
  void WriteFolderList() {
    std::vector<bool> listed(request_.folders.size(), false);
    for (size_t f = 0; f < request_.folders.size(); ++f) {
      for (int at = opened_[f] ? static_cast<int>(f) : -1;
           at >= 0 && !listed[static_cast<size_t>(at)];
           at = request_.folders[static_cast<size_t>(at)].parent) {
        listed[static_cast<size_t>(at)] = true;
      }
    }
    constexpr uint32_t kFirstId = 0x10;  // ids below name Outlook Express's own records
    std::vector<engine::FolderListEntry> entries;
    std::vector<bool> special_taken(8, false);
    for (size_t f = 0; f < request_.folders.size(); ++f) {
      if (!listed[f]) continue;
      const SaveFolder& folder = request_.folders[f];
      engine::FolderListEntry entry{
          kFirstId + static_cast<uint32_t>(f),
          folder.parent < 0 ? 1u : kFirstId + static_cast<uint32_t>(folder.parent),
          engine::ToWindows1252(folder.name),
          opened_[f] ? engine::ToWindows1252(plan_.outputs[f].name) : ""};
      // one Inbox, one Outbox, ... at the top, as a store has them
      if (folder.parent < 0 && folder.special > 0 && folder.special < 8 &&
          !special_taken[static_cast<size_t>(folder.special)]) {
        entry.special = folder.special;
        special_taken[static_cast<size_t>(folder.special)] = true;
      }
      entries.push_back(std::move(entry));
    }
    const std::vector<uint8_t> bytes = engine::FolderListBytes(std::move(entries));
    platform::OutputFile list;
    if (list.CreateIn(root_.Fd(), "Folders.dbx", true) && list.Write(bytes) && list.Close()) return;
    finished_ = false;
    error_ = "cannot write " + root_.Path() + "/Folders.dbx: " + list.Error();
  }

  // Opens the output of `folder`. The messages come folder by folder (a save job
  // orders them so): a folder file or mbox met again would be refused, as it exists.
  bool Switch(int folder, std::string& error) {
    Complete();
    current_ = -1;
    const OutputTree::Output& output = plan_.outputs[static_cast<size_t>(folder)];
    platform::OutputFolder held;
    platform::OutputFolder* here = nullptr;
    if (!EnterContainer(output.container, held, here, error)) return false;
    output_path_.clear();
    for (const std::string& name : plan_.PathOf(output.container)) output_path_ += name + "/";
    const std::string& folder_name = request_.folders[static_cast<size_t>(folder)].name;
    output_path_ += output.name;
    switch (request_.format) {
      case SaveFormat::SaveAsEml:
      case SaveFormat::SaveAsAttachments:  // these are never saved as a tree
      case SaveFormat::SaveAsPdf:
      case SaveFormat::SaveAsCsv: {
        platform::OutputFolder own;
        if (!here->Enter(output.name, own)) {
          error = here->Error();
          return false;
        }
        sink_ = std::make_unique<EmlFolderSink>(std::move(own), request_);
        break;
      }
      case SaveFormat::SaveAsDbx: {
        auto sink = std::make_unique<FolderFileSink>();
        if (!sink->Open(here->Fd(), output.name, folder_name)) {
          error = "cannot create " + here->Path() + "/" + output.name + ": " + sink->Error();
          return false;
        }
        sink_ = std::move(sink);
        break;
      }
      case SaveFormat::SaveAsMbox:
      case SaveFormat::SaveAsMboxTree: {
        auto sink = std::make_unique<MboxSink>(true);
        if (!sink->Open(here->Fd(), output.name)) {
          error = "cannot create " + here->Path() + "/" + output.name + ": " + sink->Error();
          return false;
        }
        sink_ = std::move(sink);
        break;
      }
    }
    opened_[static_cast<size_t>(folder)] = true;
    current_ = folder;
    return true;
  }

  SaveRequest request_;  // with the tree's top folder, when it has one
  int shift_ = 0;        // where a request's folder lies in `request_`
  platform::OutputFolder root_;
  OutputTree plan_;
  std::unique_ptr<MessageSink> sink_;  // the folder's being written
  std::string output_path_;            // its path below the destination
  int current_ = -1;
  std::vector<bool> opened_;  // by folder: its output was made
  bool finished_ = true;
  std::vector<std::string> notes_;  // of the outputs completed
  std::vector<SaveFailure> unkept_;
  std::string error_;  // why an output could not be completed
};

}  // namespace

std::unique_ptr<MessageSink> OpenSink(const SaveRequest& request, std::string& error) {
  const bool tree = request.format == SaveFormat::SaveAsEml ||
                    request.format == SaveFormat::SaveAsDbx ||
                    request.format == SaveFormat::SaveAsMboxTree;
  if (!request.folders.empty() && tree) {
    auto tree = std::make_unique<TreeSink>();
    if (tree->Open(request, error)) return tree;
    return nullptr;
  }
  switch (request.format) {
    case SaveFormat::SaveAsPdf:
      return OpenPdfSink(request, error);
    case SaveFormat::SaveAsCsv:
      error = "a spreadsheet lists the messages; it is written beside the saving";
      return nullptr;
    case SaveFormat::SaveAsEml:
    case SaveFormat::SaveAsAttachments: {
      platform::OutputFolder folder;
      if (!folder.Open(request.destination)) {
        error = folder.Error();
        return nullptr;
      }
      if (request.format == SaveFormat::SaveAsAttachments) {
        return std::make_unique<AttachmentSink>(std::move(folder), request);
      }
      return std::make_unique<EmlFolderSink>(std::move(folder), request);
    }
    case SaveFormat::SaveAsDbx: {
      auto sink = std::make_unique<FolderFileSink>();
      if (sink->Open(AT_FDCWD, request.destination, request.folder_name)) return sink;
      error = "cannot create " + request.destination + ": " + sink->Error();
      return nullptr;
    }
    case SaveFormat::SaveAsMbox:
    case SaveFormat::SaveAsMboxTree: {
      auto sink = std::make_unique<MboxSink>(false);
      if (sink->Open(AT_FDCWD, request.destination)) return sink;
      error = "cannot create " + request.destination + ": " + sink->Error();
      return nullptr;
    }
  }
  return nullptr;
}

}  // namespace rescuva::saving
