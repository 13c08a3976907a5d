// Saving listed messages: scopes, safe and unique names, the three outputs read back,
// and every failure counted and named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "saving/mail_status.h"
#include "saving/message_saver.h"
#include "saving/output_names.h"
#include "saving/save_job.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::saving {
namespace {

namespace fs = std::filesystem;

TEST(SaveScope, PicksTheRowsOfEachScope) {
  const std::vector<SaveItem> rows = {
      {1, false, true, "a"}, {2, true, false, "b"}, {3, true, true, "c"}, {4, false, false, "d"}};
  auto offsets = [&](SaveScope scope) {
    std::vector<uint64_t> result;
    for (const auto& item : ItemsInScope(rows, scope)) result.push_back(item.offset);
    return result;
  };
  EXPECT_EQ(offsets(SaveScope::SaveSelected), (std::vector<uint64_t>{1, 3}));
  EXPECT_EQ(offsets(SaveScope::SaveAll), (std::vector<uint64_t>{1, 2, 3, 4}));
  EXPECT_EQ(offsets(SaveScope::SaveAllButDeleted), (std::vector<uint64_t>{1, 4}));
  EXPECT_EQ(offsets(SaveScope::SaveAllButExisting), (std::vector<uint64_t>{2, 3}));
}

TEST(SaveScope, CopiesOfExistingMessagesGoWithTheDeletedOnlyWhenKept) {
  SaveItem copy{1, true, false, "copy"};
  copy.copy = true;
  const SaveItem deleted{2, true, false, "deleted"};
  EXPECT_FALSE(InScope(copy, SaveScope::SaveAllButExisting, false));
  EXPECT_TRUE(InScope(copy, SaveScope::SaveAllButExisting, true));
  EXPECT_TRUE(InScope(copy, SaveScope::SaveAll, false));
  EXPECT_TRUE(InScope(deleted, SaveScope::SaveAllButExisting, false));
}

// Thunderbird's status bits from Outlook Express's flags, in the message's own line
// ends; the date a saved file is stamped with.
TEST(MailStatus, MozillaStatusAndTheMessageDate) {
  EXPECT_EQ(MozillaStatusLines(0, false, "\n"), "X-Mozilla-Status: 0000\nStatus: O\n");
  EXPECT_EQ(MozillaStatusLines(1u << 7 | 1u << 19 | 1u << 5 | 1u << 20 | 1u, false, "\r\n"),
            "X-Mozilla-Status: 1007\r\nStatus: RO\r\n");
  EXPECT_EQ(LineEnd("Subject: a\r\n\r\n"), "\r\n");
  EXPECT_EQ(LineEnd("Subject: a\n"), "\n");
  EXPECT_EQ(LineEnd("no line end"), "\n");
  engine::MessageInfo info;
  EXPECT_FALSE(MessageDate(info));
  info.received_time = 20;
  EXPECT_EQ(MessageDate(info), 20);
  info.sent_time = 10;
  EXPECT_EQ(MessageDate(info), 10);
}

TEST(OutputNames, SafeOnEveryPlatform) {
  EXPECT_EQ(SafeFileStem("Re: a/b\\c?*<x>|\"y\"\t"), "Re_ a_b_c___x___y__");
  EXPECT_EQ(SafeFileStem(" Minutes... "), "Minutes");
  EXPECT_EQ(SafeFileStem("..."), "message");
  EXPECT_EQ(SafeFileStem(""), "message");
  EXPECT_EQ(SafeFileStem("con"), "_con");
  EXPECT_EQ(SafeFileStem("LPT1.txt"), "_LPT1.txt");
  EXPECT_EQ(SafeFileStem("COM0"), "COM0");
  EXPECT_EQ(SafeFileStem(".profile"), "_.profile");  // never a hidden file
  EXPECT_EQ(SafeFileStem("-rf all"), "_-rf all");    // never a name read as an option
  const std::string long_subject = std::string(79, 'a') + "ü" + "tail";
  EXPECT_EQ(SafeFileStem(long_subject), std::string(79, 'a'));  // never half a character
}

TEST(OutputNames, NeverTheNameOfAnExistingFile) {
  testing::TempDir dir;
  platform::OutputFolder folder;
  ASSERT_TRUE(folder.Open(dir.Path()));
  platform::OutputFile a, b;
  EXPECT_EQ(CreateUniqueFile(folder, "x", ".eml", a), "x.eml");
  EXPECT_EQ(CreateUniqueFile(folder, "x", ".eml", b), "x (2).eml");
  platform::OutputFolder missing;
  EXPECT_FALSE(missing.Open(dir.Path() + "/missing"));
  // folders likewise, and a folder that cannot be made says why
  std::string error;
  EXPECT_EQ(CreateUniqueFolder(dir.Path(), "x.eml", error), dir.Path() + "/x.eml (2)");
  EXPECT_EQ(CreateUniqueFolder(dir.Path() + "/missing", "out", error), "");
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

class SavingTest : public ::testing::Test {
 protected:
  SavingTest() : folder_(testing::CopyOfSample(dir_.Path())) {}

  SaveReport Save(SaveFormat format, const std::string& destination, std::vector<SaveItem> items,
                  bool stop = false) {
    std::atomic<bool> stop_flag{stop};
    std::vector<SaveProgress> progress;
    SaveJob job(
        OneSource(folder_.engine), {format, SaveScope::SaveAll, destination}, std::move(items),
        [&](const SaveProgress& p) { progress.push_back(p); }, stop_flag);
    job.Start();
    job.Wait();
    progress_ = progress;
    stopped_ = job.Stopped();
    return job.Report();
  }
  std::string Extracted(uint64_t offset) {
    const std::string path = dir_.Path() + "/original.eml";
    EXPECT_TRUE(folder_.engine.ExtractToFile(path, offset));
    return testing::ReadFileText(path);
  }

  testing::TempDir dir_;
  testing::ScannedFolder folder_;
  std::vector<SaveProgress> progress_;
  bool stopped_ = false;
};

TEST_F(SavingTest, EmlFilesHoldTheExtractedBytesAndNeverReplaceFiles) {
  const auto items = folder_.Items();
  ASSERT_EQ(Save(SaveFormat::SaveAsEml, dir_.Path(), items).saved, items.size());
  const std::string first = dir_.Path() + "/Minutes of the garden club_9404.eml";
  EXPECT_EQ(testing::ReadFileText(first), Extracted(9404));
  EXPECT_TRUE(fs::exists(dir_.Path() + "/Grüße aus Köln – Übersicht_10988.eml"));
  // a second save keeps the first files and adds numbered ones
  ASSERT_EQ(Save(SaveFormat::SaveAsEml, dir_.Path(), {items[0]}).saved, 1u);
  EXPECT_TRUE(fs::exists(dir_.Path() + "/Minutes of the garden club_9404 (2).eml"));
  EXPECT_EQ(progress_.back().done, 1u);
  EXPECT_EQ(progress_.back().total, 1u);
}

TEST_F(SavingTest, FolderFileReadsBackAsTheSameMessagesAllExisting) {
  const auto items = folder_.Items();
  const std::string saved = dir_.Path() + "/saved.dbx";
  const SaveReport report = Save(SaveFormat::SaveAsDbx, saved, items);
  ASSERT_EQ(report.saved, items.size());
  ASSERT_TRUE(report.destination_error.empty());
  testing::ScannedFolder again(saved);
  ASSERT_EQ(again.rows.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(again.rows[i].StatusText(), "Existing");
    EXPECT_EQ(again.rows[i].subject, folder_.rows[i].subject);
    const std::string copy = dir_.Path() + "/copy.eml";
    ASSERT_TRUE(again.engine.ExtractToFile(copy, again.rows[i].offset));
    EXPECT_EQ(testing::ReadFileText(copy), Extracted(items[i].offset)) << i;
  }
  // the file exists now: a second save there is refused and the file kept
  const auto before = testing::ReadFileBytes(saved);
  EXPECT_FALSE(Save(SaveFormat::SaveAsDbx, saved, items).destination_error.empty());
  EXPECT_EQ(testing::ReadFileBytes(saved), before);
}

TEST_F(SavingTest, MboxQuotesFromLines) {
  testing::FolderBuilder quoting;
  quoting.Chain({0x3000}, testing::MailText("quoting", "From here\r\n>From there\r\nFrom\r\n"));
  testing::ScannedFolder folder(quoting.Write(dir_.Path(), "q.dbx"));
  const std::string mbox = dir_.Path() + "/out.mbox";
  std::atomic<bool> stop{false};
  SaveJob job(OneSource(folder.engine), {SaveFormat::SaveAsMbox, SaveScope::SaveAll, mbox},
              folder.Items(), nullptr, stop);
  job.Start();
  job.Wait();
  ASSERT_EQ(job.Report().saved, 1u);
  const std::string text = testing::ReadFileText(mbox);
  EXPECT_EQ(text.substr(0, 44), "From alice@example.org Tue Feb 10 19:26:59 2");
  EXPECT_NE(text.find("\r\n\r\n>From here\r\n>>From there\r\nFrom\r\n\n"), std::string::npos);
}

// An mbox file keeps what the index records say of each message (read, answered,
// flagged) as mail programs write it; a message without a record gets no status.
TEST_F(SavingTest, MboxKeepsTheRecordsState) {
  const std::string path = dir_.Path() + "/state.dbx";
  testing::WriteMailFile(path, {testing::StoreMail("answered", "a@x", false, 0x81 | 1u << 19),
                                testing::StoreMail("flagged unread", "f@x", false, 0x01 | 1u << 5),
                                testing::StoreMail("gone", "g@x", true)});
  testing::ScannedFolder folder(path);
  auto items = folder.Items();
  ASSERT_EQ(items.size(), 3u);
  for (size_t i = 0; i < items.size(); ++i) items[i].info = folder.rows[i].info;  // as listed
  const std::string mbox = dir_.Path() + "/state.mbox";
  std::atomic<bool> stop{false};
  SaveJob job(OneSource(folder.engine), {SaveFormat::SaveAsMbox, SaveScope::SaveAll, mbox}, items,
              nullptr, stop);
  job.Start();
  job.Wait();
  ASSERT_EQ(job.Report().saved, 3u);
  const std::string text = testing::ReadFileText(mbox);
  const std::string end(LineEnd(text.substr(text.find('\n') + 1)));
  const size_t answered = text.find("Status: RO" + end + "X-Status: A" + end);
  const size_t flagged = text.find("Status: O" + end + "X-Status: F" + end);
  EXPECT_NE(answered, std::string::npos) << text.substr(0, 300);
  EXPECT_NE(flagged, std::string::npos);
  EXPECT_EQ(text.find("Status:", std::max(answered, flagged) + 30), std::string::npos);
  EXPECT_EQ(MboxStatusLines(0, "\n"), "Status: O\n");
}

TEST_F(SavingTest, FailuresAreCountedAndNamed) {
  auto items = folder_.Items();
  items.insert(items.begin() + 1, SaveItem{0x7FFFFFF0, false, false, "gone"});
  const SaveReport report = Save(SaveFormat::SaveAsDbx, dir_.Path() + "/f.dbx", items);
  EXPECT_EQ(report.saved, items.size() - 1);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].offset, 0x7FFFFFF0u);
  EXPECT_EQ(report.failures[0].subject, "gone");
  EXPECT_EQ(progress_.back().failed, 1u);
  // a destination that cannot be made fails before any message
  EXPECT_FALSE(
      Save(SaveFormat::SaveAsEml, dir_.Path() + "/missing", items).destination_error.empty());
  EXPECT_TRUE(progress_.empty());
  // a store's folder that cannot be made is named with the system's reason
  const std::string tree = dir_.Path() + "/tree";
  std::filesystem::create_directory(tree);
  std::ofstream(tree + "/Inbox") << "a file where the folder goes";
  MessageSaver saver(
      OneSource(folder_.engine),
      {SaveFormat::SaveAsEml, SaveScope::SaveAll, tree, {}, {{"Inbox", -1}, {"Sub", 0}}});
  ASSERT_TRUE(saver.Open());
  SaveItem item = items[0];
  item.folder = 1;
  saver.Save(item);
  ASSERT_EQ(saver.Report().failures.size(), 1u);
  EXPECT_EQ(saver.Report().failures[0].reason, "cannot open " + tree + "/Inbox: Not a directory");
}

TEST_F(SavingTest, StopLeavesAWholeFolderFile) {
  const std::string saved = dir_.Path() + "/stopped.dbx";
  const SaveReport report = Save(SaveFormat::SaveAsDbx, saved, folder_.Items(), true);
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(report.saved, 0u);
  testing::ScannedFolder again(saved);
  EXPECT_TRUE(again.rows.empty());
  EXPECT_EQ(again.statuses.back(), "Repairing  done..");
}

}  // namespace
}  // namespace rescuva::saving
