// Folder files written by the project read back through the engine: the same
// messages, byte for byte, all listed by the index, nothing rebuilt twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/file_info_block.h"
#include "engine/file_time.h"
#include "engine/folder_file_writer.h"
#include "platform/scratch_files.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/temp_dir.h"

namespace rescuva::engine {
namespace {

std::vector<std::string> Messages(size_t n) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < n; ++i) {
    // sizes around the block boundaries, and NUL bytes that must survive
    std::string body(i * 37 % 1600, static_cast<char>('a' + i % 26));
    if (i % 5 == 0) body += std::string(3, '\0');
    texts.push_back(testing::MailText("message " + std::to_string(i), body));
  }
  texts.push_back(std::string(512 - 1, 'x'));
  texts.push_back(std::string(512, 'y'));
  texts.push_back(std::string(1024, 'z'));
  return texts;
}

TEST(FolderFileWriter, ReadsBackAsTheSameExistingMessages) {
  for (size_t count : {0, 1, 51, 52, 3000}) {
    testing::TempDir dir;
    const auto texts = Messages(count);
    const std::string path = dir.Path() + "/saved.dbx";
    FolderFileWriter writer;
    ASSERT_TRUE(writer.Create(path));
    for (const auto& text : texts) {
      writer.BeginMessage();
      // handed over in uneven pieces
      for (size_t at = 0; at < text.size(); at += 300) {
        auto piece = std::string_view(text).substr(at, 300);
        ASSERT_TRUE(
            writer.AppendText({reinterpret_cast<const uint8_t*>(piece.data()), piece.size()}));
      }
      ASSERT_TRUE(writer.EndMessage({.subject = "Grüße €"}));
    }
    ASSERT_TRUE(writer.Finish());

    testing::RecordingReporter reporter;
    DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
    engine.Run(path);
    ASSERT_EQ(reporter.messages.size(), texts.size()) << count;
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(reporter.messages[i].text, texts[i]) << i;
      EXPECT_FALSE(reporter.messages[i].deleted);
      EXPECT_EQ(reporter.messages[i].offset % 4, 0u) << i;  // objects on 4-byte boundaries
    }
    EXPECT_EQ(reporter.statuses.back(), "Repairing  done..");
    // the header names the size in use and the last id, as Outlook Express fills them;
    // `file` then knows the file for what it is
    const auto bytes = testing::ReadFileBytes(path);
    EXPECT_EQ(LoadLe32(&bytes[0x7C]), bytes.size());
    EXPECT_EQ(LoadLe32(&bytes[0x5C]), texts.size());
    EXPECT_EQ(
        std::system(("file -b '" + path + "' | grep -q '^MS Outlook Express DBX file'").c_str()),
        0);
  }
}

// A copy of the file taken at any moment of a save (a save killed there) lists the
// messages of its last checkpoint: at least every 1,000 messages (and every second,
// which a slow run may reach first).
TEST(FolderFileWriter, TheFileListsItsLastCheckpointAtAnyMoment) {
  testing::TempDir dir;
  const std::string path = dir.Path() + "/saving.dbx";
  FolderFileWriter writer;
  ASSERT_TRUE(writer.Create(path));
  auto listed = [&](const std::string& name) {
    const std::string copy = dir.Path() + "/" + name;
    std::filesystem::copy_file(path, copy);
    testing::RecordingReporter reporter;
    DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
    engine.Run(copy);
    return reporter.messages.size();
  };
  EXPECT_EQ(listed("empty.dbx"), 0u);
  for (size_t i = 0; i < 2500; ++i) {
    const std::string text = testing::MailText("m" + std::to_string(i));
    writer.BeginMessage();
    ASSERT_TRUE(writer.AppendText({reinterpret_cast<const uint8_t*>(text.data()), text.size()}));
    ASSERT_TRUE(writer.EndMessage({}));
    if (i == 999) {
      EXPECT_EQ(listed("at-1000.dbx"), 1000u);
    }
    if (i == 1500) {
      const size_t n = listed("at-1501.dbx");
      EXPECT_TRUE(n >= 1000 && n <= 1501) << n;
    }
    if (i == 2499) {
      const size_t n = listed("at-2500.dbx");
      EXPECT_TRUE(n >= 2000 && n <= 2500) << n;
    }
  }
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(listed("finished.dbx"), 2500u);
}

TEST(FolderFileWriter, NeverReplacesAFileAndSkipsEmptyMessages) {
  testing::TempDir dir;
  const std::string path = dir.Path() + "/exists.dbx";
  { std::ofstream(path) << "keep"; }
  FolderFileWriter writer;
  EXPECT_FALSE(writer.Create(path));
  EXPECT_EQ(testing::ReadFileText(path), "keep");

  FolderFileWriter second;
  ASSERT_TRUE(second.Create(dir.Path() + "/new.dbx"));
  second.BeginMessage();
  EXPECT_FALSE(second.EndMessage({}));
  EXPECT_EQ(second.MessageCount(), 0u);
  EXPECT_TRUE(second.Finish());
}

TEST(FolderFileWriter, TextsInTheWindowsCodePage) {
  EXPECT_EQ(ToWindows1252("Grüße €5 – ok"),
            "Gr\xFC\xDF"
            "e \x80"
            "5 \x96 ok");
  EXPECT_EQ(ToWindows1252("日本"), "??");
  EXPECT_EQ(ToWindows1252(std::string("bad \xC3", 5)), "bad ?");
}

TEST(FolderFileWriter, TextsFromTheWindowsCodePage) {
  EXPECT_EQ(FromWindows1252("Gr\xFC\xDF"
                            "e \x80"
                            "5 \x96 ok"),
            "Grüße €5 – ok");
  EXPECT_EQ(FromWindows1252("\x81"), "\xEF\xBF\xBD");  // unassigned
  EXPECT_EQ(FromWindows1252(ToWindows1252("Dossier «Été»")), "Dossier «Été»");
}

// The file-info block names the folder as importers read it, and the header says
// where the block ends; the kinds of file the header's type tells apart.
TEST(FolderFileWriter, TheFileInfoBlockNamesTheFolderAndTheRecordsKeepFlagsAndTimes) {
  testing::TempDir dir;
  const std::string path = dir.Path() + "/named.dbx";
  FolderFileWriter writer;
  ASSERT_TRUE(writer.Create(path, {"Grüße", 1}));
  writer.BeginMessage();
  const std::string text = testing::MailText("kept");
  writer.AppendText({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  MessageInfo info;
  info.flags = (1u << 7) | (1u << 19);
  info.received_time = 1076500000;
  info.sent_time = 1076441219;
  ASSERT_TRUE(writer.EndMessage(info));
  ASSERT_TRUE(writer.Finish());
  const auto bytes = testing::ReadFileBytes(path);
  EXPECT_EQ(LoadLe32(&bytes[0x1C]), kFileInfoSize);
  EXPECT_EQ(LoadLe32(&bytes[0x24]), 0x24BC + kFileInfoSize);
  EXPECT_EQ(std::string(bytes.begin() + 0x24C1, bytes.begin() + 0x24CC),
            std::string("LocalStore\0", 11));
  EXPECT_EQ(bytes[0x24BC + 4], 3);
  EXPECT_EQ(KindOfFolderFile(bytes), FolderFileKind::kMessages);

  platform::SourceFile file;
  ASSERT_TRUE(file.Open(path));
  const auto block = FileInfoBlock::Read(file);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->folder_name, "Grüße");
  EXPECT_EQ(block->special_folder, 1);
  file.Close();

  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, dir.Path());
  engine.Run(path);
  ASSERT_EQ(reporter.messages.size(), 1u);
  const auto& facts = reporter.messages[0].facts;
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->flags, (1u << 7) | (1u << 19) | 1u);  // and downloaded
  EXPECT_EQ(facts->received_time, 1076500000);
  EXPECT_EQ(facts->sent_time, 1076441219);

  const uint8_t list[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC6, 0xFD, 0x74, 0x6F};
  const uint8_t pop3[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC7, 0xFD, 0x74, 0x6F};
  const uint8_t offline[] = {0xCF, 0xAD, 0x12, 0xFE, 0x30, 0x9D, 0xFE, 0x26};
  const uint8_t other[] = {'J', 'M', 'F', '6', 3, 0, 1, 0};
  EXPECT_EQ(KindOfFolderFile(list), FolderFileKind::kFolderList);
  EXPECT_EQ(KindOfFolderFile(pop3), FolderFileKind::kPop3Ids);
  EXPECT_EQ(KindOfFolderFile(offline), FolderFileKind::kOffline);
  EXPECT_EQ(KindOfFolderFile(other), FolderFileKind::kOther);
  EXPECT_EQ(KindOfFolderFile(std::span(list).first(4)), FolderFileKind::kOther);
  EXPECT_EQ(FromFileTime(ToFileTime(1076441219)), 1076441219);
  EXPECT_FALSE(FromFileTime(0));
}

}  // namespace
}  // namespace rescuva::engine
