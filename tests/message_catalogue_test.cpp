// The catalogue's rules, and the real Outlook Express files read end to end.
#include <gtest/gtest.h>

#include <thread>

#include <fstream>

#include "catalogue/catalogue_pipeline.h"
#include "catalogue/folder_tally.h"
#include "catalogue/message_catalogue.h"
#include "engine/dbx_recovery_engine.h"
#include "platform/digests.h"
#include "tests/recording_reporter.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::catalogue {
namespace {

using testing::Fixture;

class CatalogueTest : public ::testing::Test {
 protected:
  std::optional<catalogue::CatalogueRow> Row(const std::string& text, bool deleted = false,
                                             uint64_t offset = 1) {
    const std::string path = dir_.Path() + "/dd.eml";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return catalogue::MakeCatalogueRow(path, deleted, offset);
  }
  testing::TempDir dir_;
};

TEST_F(CatalogueTest, ListedWhenAnyOfSenderRecipientOrSubject) {
  auto sender_only = Row("From: a@example.org\r\n\r\nbody", true, 4294967296ull);
  ASSERT_TRUE(sender_only);
  EXPECT_TRUE(sender_only->to.empty());
  EXPECT_TRUE(sender_only->subject.empty());
  EXPECT_EQ(sender_only->StatusText(), "Deleted");
  EXPECT_EQ(sender_only->OffsetText(), "4294967296");
  EXPECT_TRUE(Row("To: b@example.org\r\n\r\n"));
  EXPECT_EQ(Row("Subject: s\r\n\r\n")->StatusText(), "Existing");
  // a damaged chain whose text has no header, and an empty file, list nothing
  EXPECT_FALSE(Row("____rn-Path: <x>\r\nsome text without fields\r\n"));
  EXPECT_FALSE(Row(""));
  EXPECT_FALSE(catalogue::MakeCatalogueRow(dir_.Path() + "/missing.eml", false, 1));
}

TEST_F(CatalogueTest, AttachmentMarkNeedsANamedPart) {
  const std::string head =
      "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\nx\r\n--b\r\nContent-Type: application/zip";
  EXPECT_FALSE(Row(head + "\r\n\r\nzz\r\n--b--\r\n")->HasAttachment());
  auto named = Row(head + "; name=\"a.zip\"\r\n\r\nzz\r\n--b--\r\n");
  EXPECT_TRUE(named->HasAttachment());
  EXPECT_EQ(named->attachment_names, std::vector<std::string>{"a.zip"});
}

// A fragment is text: the few pointer bytes deletion leaves pass, an index node's or
// a picture's bytes do not.
TEST(Catalogue, FragmentsAreTextOnly) {
  auto fragment = [](const std::string& bytes) {
    return MakeFragmentRow({bytes.data(), bytes.size()}, true, 7);
  };
  std::string text = "\xec\xa9\x14_the old machine kept its mail\r\n";
  text += std::string(400, 'x');
  auto row = fragment(text);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->StatusText(), "Fragment");
  EXPECT_TRUE(row->deleted);
  EXPECT_EQ(row->offset, 7u);
  std::string binary(512, '\0');
  for (size_t i = 0; i < binary.size(); i += 3) binary[i] = 'a';
  EXPECT_FALSE(fragment(binary));
  EXPECT_FALSE(fragment(""));
}

// Messages queued faster than they are parsed, some far larger than others, are parsed
// by any number of threads (and by the adding thread while the queue is full) and
// still listed in the order they came, each row with its own message, numbered on in
// that order, and the counts whole.
TEST(CataloguePipeline, ListsInTheEngineOrderWithAnyNumberOfParsers) {
  const auto adder = std::this_thread::get_id();
  for (unsigned parsers : {1u, 2u, 3u, 8u}) {
    std::vector<std::pair<uint64_t, std::string>> listed;
    std::vector<uint64_t> sequence;
    size_t listed_by_adder = 0;
    {
      CataloguePipeline pipeline(
          "folder.dbx",
          [&](const CatalogueRow& row, std::span<const char>) {
            listed.emplace_back(row.offset, row.subject);
            sequence.push_back(row.sequence);
            listed_by_adder += std::this_thread::get_id() == adder;
          },
          false, false, -1, 100, parsers);
      for (uint64_t i = 1; i <= 3000; ++i) {
        const std::string body = i % 97 == 0 ? std::string(200000, 'x') : "body";
        const std::string text =
            i % 7 == 0 ? "no header here\r\n" : "Subject: " + std::to_string(i) + "\r\n\r\n" + body;
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        pipeline.Add({"", false, i, {bytes, text.size()}, true});
      }
      pipeline.Finish();
      EXPECT_EQ(pipeline.Counts().listed, 3000u - 428u);
      EXPECT_EQ(pipeline.Counts().not_messages + pipeline.Counts().without_headers, 428u);
    }
    ASSERT_EQ(listed.size(), 3000u - 428u) << parsers;
    if (parsers == 1) {
      EXPECT_GT(listed_by_adder, 0u);
    }
    uint64_t expected = 1;
    for (size_t n = 0; n < listed.size(); ++n) {
      if (expected % 7 == 0) ++expected;
      EXPECT_EQ(listed[n].first, expected) << parsers;
      EXPECT_EQ(listed[n].second, std::to_string(expected)) << parsers;
      EXPECT_EQ(sequence[n], 101 + n) << parsers;
      ++expected;
    }
  }
}

TEST(Sha256, KnownDigests) {
  platform::Hasher empty(platform::HashKind::kSha256);
  EXPECT_EQ(empty.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  platform::Hasher abc(platform::HashKind::kSha256);
  const std::string text(1000, 'a');
  abc.Update({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  EXPECT_EQ(abc.HexDigest(), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST(Catalogue, FolderTallyCountsEachFolderAndTheStore) {
  FolderTally tally(3);
  auto row = [](int folder, bool deleted, bool fragment = false) {
    CatalogueRow made;
    made.folder = folder;
    made.deleted = deleted;
    made.fragment = fragment;
    return made;
  };
  for (const CatalogueRow& r :
       {row(0, false), row(0, true), row(2, true), row(2, false, true), row(7, false)}) {
    tally.Count(r);
  }
  EXPECT_EQ(tally.Listed(0), 2u);
  EXPECT_EQ(tally.Deleted(0), 1u);
  EXPECT_EQ(tally.Listed(1), 0u);
  EXPECT_EQ(tally.Listed(2), 1u);  // fragments belong to no folder's mail
  EXPECT_EQ(tally.Listed(-1), 4u);
  EXPECT_EQ(tally.Deleted(-1), 2u);
  EXPECT_EQ(tally.Listed(9), 0u);
  EXPECT_EQ(FolderTally::CountText("Inbox", 12), "Inbox (12)");
  EXPECT_EQ(FolderTally::DeletedText(0), "");
  EXPECT_EQ(FolderTally::DeletedText(3), "3 deleted");
}

TEST(Catalogue, CounterText) {
  EXPECT_EQ(CounterText(12), "Emails          :  12");
  EXPECT_EQ(CounterText(0), "Emails          :  0");
}

// What the catalogue lists of a whole run.
std::vector<catalogue::CatalogueRow> ListedRows(const std::string& folder_file) {
  testing::ScannedFolder scanned(folder_file);
  EXPECT_EQ(scanned.statuses.back(), "Repairing  done..") << folder_file;
  return scanned.rows;
}

TEST(RealFolderFiles, InboxListsTheWelcomeMessage) {
  testing::TempDir dir;
  auto rows = ListedRows(Fixture("Inbox.dbx"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].subject, "Welcome to Outlook Express 6");
  EXPECT_EQ(rows[0].StatusText(), "Existing");
  EXPECT_FALSE(rows[0].from.empty());
}

TEST(RealFolderFiles, OtherFilesListNothingAndDoNotFail) {
  testing::TempDir dir;
  for (const char* name : {"Folders.dbx", "Offline.dbx", "Outbox.dbx"}) {
    EXPECT_TRUE(ListedRows(Fixture(name)).empty()) << name;
  }
}

}  // namespace
}  // namespace rescuva::catalogue
