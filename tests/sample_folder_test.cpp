// The bundled sample folder file: made by the project's own generator, and listing
// what it was made to hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "loader/message_loader.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::testing {

namespace {

TEST(SampleFolder, IsWhatTheGeneratorMakes) {
  TempDir dir;
  const std::string made = dir.Path() + "/sample.dbx";
  ASSERT_EQ(std::system((std::string(RESCUVA_MAKE_SAMPLE) + " " + made).c_str()), 0);
  EXPECT_EQ(ReadFileBytes(made), ReadFileBytes(SamplePath()));
}

TEST(SampleFolder, ListsExistingAndDeletedMessages) {
  TempDir dir;
  ScannedFolder folder(CopyOfSample(dir.Path()));
  ASSERT_EQ(folder.rows.size(), 7u);
  std::vector<std::string> subjects, statuses;
  for (const auto& row : folder.rows) {
    subjects.push_back(row.subject);
    statuses.push_back(row.StatusText());
  }
  EXPECT_EQ(subjects,
            (std::vector<std::string>{"Minutes of the garden club", "Photo of the new greenhouse",
                                      "Seed order and invoice", "Grüße aus Köln – Übersicht",
                                      "Long letter (its chain breaks off)",
                                      "Deleted: old meeting notes", "Deleted: flyer draft"}));
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Deleted"), 2);
  EXPECT_EQ(folder.rows[2].attachment_names,
            (std::vector<std::string>{"invoice-2004-02.pdf", "Saatgut für März.csv"}));
  EXPECT_EQ(folder.rows[3].from, "Renée Façon <renee@example.fr>");
  EXPECT_FALSE(folder.rows[1].HasAttachment());  // the inline picture is no attachment
  EXPECT_EQ(folder.rows[6].attachment_names, std::vector<std::string>{"flyer.txt"});

  // the HTML message keeps its picture; the broken chain gives a shortened letter
  const std::string path = dir.Path() + "/m.eml";
  ASSERT_TRUE(folder.engine.ExtractToFile(path, folder.rows[1].offset));
  auto html = loader::LoadMessageFile(path);
  EXPECT_NE(html->html_body.find("cid:picture1@example.org"), std::string::npos);
  ASSERT_TRUE(folder.engine.ExtractToFile(path, folder.rows[4].offset));
  EXPECT_EQ(ReadFileBytes(path).size(), 1024u);
}

}  // namespace
}  // namespace rescuva::testing
