// Folder files written by the project read back through the engine: the same
// messages, byte for byte, all listed by the index, nothing rebuilt twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/dbx_recovery_engine.h"
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
    }
    EXPECT_EQ(reporter.statuses.back(), "Repairing  done..");
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
    if (i == 999) EXPECT_EQ(listed("at-1000.dbx"), 1000u);
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

}  // namespace
}  // namespace rescuva::engine
