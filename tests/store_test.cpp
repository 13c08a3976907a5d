// Whole stores: the folder tree read from Folders.dbx, folders.nch or the files
// themselves, and a session over every mail file of a store.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/source_file.h"
#include "session/recovery_session.h"
#include "store/mail_store.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::store {
namespace {

using testing::StoreMail;

// Each folder as "path [file name]".
std::vector<std::string> TreeOf(const MailStore& store) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < store.folders.size(); ++i) {
    const std::string file = std::filesystem::path(store.folders[i].file).filename().string();
    lines.push_back(store.PathText(i) + " [" + file + "]");
  }
  return lines;
}

struct Listed {
  std::vector<catalogue::CatalogueRow> rows;
  session::ScanOutcome outcome;
};

Listed ScanStore(const MailStore& store) {
  Listed listed;
  session::ImmediateCrossing crossing;
  session::SessionEvents events;
  events.rows = [&](std::vector<catalogue::CatalogueRow>& batch) {
    listed.rows.insert(listed.rows.end(), batch.begin(), batch.end());
  };
  events.finished = [&](const session::ScanOutcome& outcome) { listed.outcome = outcome; };
  session::RecoverySession session(crossing, events);
  session.StartStore(store);
  session.Wait();
  return listed;
}

TEST(StoreReading, TheRealStoreNamesItsFoldersAndListsInboxUnderInbox) {
  const std::string folder = std::filesystem::path(testing::Fixture("Inbox.dbx")).parent_path();
  const MailStore store = ReadStore(folder);
  EXPECT_EQ(TreeOf(store),
            (std::vector<std::string>{"Inbox [Inbox.dbx]", "Outbox [Outbox.dbx]", "Sent Items []",
                                      "Deleted Items []", "Drafts []", "Hotmail []"}));
  ASSERT_FALSE(store.folders.empty());
  EXPECT_EQ(store.folders[0].special, 1);
  ASSERT_EQ(store.notes.size(), 1u);
  EXPECT_NE(store.notes[0].find("Offline.dbx"), std::string::npos);

  const Listed listed = ScanStore(store);
  ASSERT_EQ(listed.rows.size(), 1u);
  EXPECT_EQ(listed.rows[0].subject, "Welcome to Outlook Express 6");
  EXPECT_EQ(listed.rows[0].folder, 0);
  ASSERT_TRUE(listed.rows[0].record);
  EXPECT_TRUE(listed.rows[0].record->flags & (1u << 7));  // read
  EXPECT_TRUE(listed.rows[0].record->received_time);
  EXPECT_EQ(listed.outcome.counts.existing, 1u);
}

TEST(StoreReading, NestingNamesAndFilesTheFolderListDoesNotName) {
  testing::TempDir dir;
  const std::string at = dir.Path();
  // "Garden" (id 10) lies in "Projects" (id 12), a folder made after it
  testing::WriteFolderList(at + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1},
                                                 {10, 12, "Garden", "Garden.dbx"},
                                                 {11, 1,
                                                  "Gr\xFC\xDF"
                                                  "e",
                                                  "Gruesse.dbx"},
                                                 {12, 1, "Projects", ""},
                                                 {13, 1, "Drafts", "Drafts.dbx", 5}});
  testing::WriteMailFile(at + "/Inbox.dbx", {StoreMail("one", "1@x")});
  testing::WriteMailFile(at + "/Garden.dbx", {StoreMail("two", "2@x")});
  testing::WriteMailFile(at + "/Gruesse.dbx", {StoreMail("three", "3@x")});
  testing::WriteMailFile(at + "/Orphan.dbx", {StoreMail("four", "4@x")}, "Lost and Found");
  testing::WriteMailFile(at + "/Inbox(1).dbx", {StoreMail("five", "5@x")}, "Inbox");
  const MailStore store = ReadStore(at);
  EXPECT_EQ(TreeOf(store),
            (std::vector<std::string>{"Inbox [Inbox.dbx]", "Grüße [Gruesse.dbx]", "Projects []",
                                      "Projects/Garden [Garden.dbx]", "Drafts []",
                                      "Inbox (2) [Inbox(1).dbx]", "Lost and Found [Orphan.dbx]"}));
  const Listed listed = ScanStore(store);
  ASSERT_EQ(listed.rows.size(), 5u);
  std::vector<std::string> where;
  for (const auto& row : listed.rows)
    where.push_back(store.PathText(row.folder) + ":" + row.subject);
  EXPECT_EQ(where, (std::vector<std::string>{"Inbox:one", "Grüße:three", "Projects/Garden:two",
                                             "Inbox (2):five", "Lost and Found:four"}));
}

TEST(StoreReading, WithoutAFolderListEachFileNamesItself) {
  testing::TempDir dir;
  testing::WriteMailFile(dir.Path() + "/Inbox.dbx", {StoreMail("one", "1@x")}, "Inbox");
  testing::WriteMailFile(dir.Path() + "/Sent Items.dbx", {StoreMail("two", "2@x")});
  // a damaged folder list is no better than none
  testing::WriteFolderList(dir.Path() + "/Folders.dbx", {{4, 1, "Renamed", "Inbox.dbx"}});
  std::filesystem::resize_file(dir.Path() + "/Folders.dbx", 0x2000);
  const MailStore store = ReadStore(dir.Path());
  EXPECT_EQ(TreeOf(store),
            (std::vector<std::string>{"Inbox [Inbox.dbx]", "Sent Items [Sent Items.dbx]"}));
  ASSERT_EQ(store.notes.size(), 1u);
  EXPECT_NE(store.notes[0].find("could not be read"), std::string::npos);
  const Listed listed = ScanStore(store);
  EXPECT_EQ(listed.rows.size(), 2u);
  EXPECT_EQ(listed.outcome.ending, engine::RunEnding::kDone);
}

TEST(StoreReading, AFolderAboveTwoIdentitiesHoldsBothStores) {
  testing::TempDir dir;
  for (const std::string id : {"{1111}", "{2222}"}) {
    const std::string store = dir.Path() + "/Identities/" + id + "/Microsoft/Outlook Express";
    std::filesystem::create_directories(store);
    testing::WriteFolderList(store + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1}});
    testing::WriteMailFile(store + "/Inbox.dbx", {StoreMail("mail of " + id, id + "@x")});
  }
  const MailStore store = ReadStore(dir.Path());
  EXPECT_EQ(TreeOf(store), (std::vector<std::string>{"{1111} []", "{1111}/Inbox [Inbox.dbx]",
                                                     "{2222} []", "{2222}/Inbox [Inbox.dbx]"}));
  EXPECT_EQ(ScanStore(store).rows.size(), 2u);
  std::filesystem::create_directory(dir.Path() + "/nothing");
  EXPECT_TRUE(ReadStore(dir.Path() + "/nothing").folders.empty());
  EXPECT_EQ(ScanStore(ReadStore(dir.Path() + "/nothing")).outcome.ending,
            engine::RunEnding::kCannotOpen);
}

TEST(StoreReading, AnOutlookExpress4StoreWithItsDeletedMail) {
  testing::TempDir dir;
  const std::string mail = testing::StoreMail("kept", "k@x").text;
  testing::WriteOe4Folder(dir.Path(), "Inbox",
                          {{mail},
                           {StoreMail("deleted", "d@x").text, true, true},
                           {StoreMail("compacted away from the index", "c@x").text, false}});
  testing::WriteOe4Folder(dir.Path(), "Friends", {{StoreMail("from a friend", "f@x").text}});
  testing::WriteOe4FolderList(dir.Path() + "/folders.nch",
                              {{"Inbox", "Inbox.mbx"}, {"Friends", "Friends.mbx", 0}});
  const MailStore store = ReadStore(dir.Path());
  EXPECT_EQ(TreeOf(store),
            (std::vector<std::string>{"Inbox [Inbox.mbx]", "Inbox/Friends [Friends.mbx]"}));
  const Listed listed = ScanStore(store);
  ASSERT_EQ(listed.rows.size(), 4u);
  EXPECT_EQ(listed.rows[0].subject, "kept");
  EXPECT_FALSE(listed.rows[0].deleted);
  EXPECT_EQ(listed.rows[1].subject, "deleted");
  EXPECT_TRUE(listed.rows[1].deleted);
  EXPECT_EQ(listed.rows[2].subject, "compacted away from the index");
  EXPECT_TRUE(listed.rows[2].deleted);
  EXPECT_EQ(store.PathText(listed.rows[3].folder), "Inbox/Friends");

  // an .mbx chosen alone is read by the same reader, its text as stored
  session::ImmediateCrossing crossing;
  std::vector<catalogue::CatalogueRow> rows;
  session::SessionEvents events;
  events.rows = [&](std::vector<catalogue::CatalogueRow>& batch) {
    rows.insert(rows.end(), batch.begin(), batch.end());
  };
  session::RecoverySession session(crossing, events);
  session.Start(dir.Path() + "/Inbox.mbx");
  session.Wait();
  ASSERT_EQ(rows.size(), 3u);
  std::vector<uint8_t> text;
  ASSERT_TRUE(session.Source(-1).ExtractToBytes(rows[0].offset, engine::Repair::kNulOnly, text));
  EXPECT_EQ(std::string(text.begin(), text.end()), mail);
}

TEST(StoreSession, DeletedCopiesOfExistingMessagesAreToldWhereverTheyLie) {
  testing::TempDir dir;
  // the moved message's leftover lies in a folder scanned before the one it went to
  testing::WriteFolderList(dir.Path() + "/Folders.dbx",
                           {{4, 1, "Archive", "Archive.dbx"}, {5, 1, "Inbox", "Inbox.dbx", 1}});
  testing::WriteMailFile(dir.Path() + "/Inbox.dbx",
                         {StoreMail("moved", "moved@x", true), StoreMail("gone", "gone@x", true),
                          StoreMail("kept", "kept@x")});
  testing::WriteMailFile(dir.Path() + "/Archive.dbx",
                         {StoreMail("moved", "moved@x", false, 0x81 | 1u << 19)});
  const MailStore store = ReadStore(dir.Path());
  const Listed listed = ScanStore(store);
  ASSERT_EQ(listed.rows.size(), 4u);
  std::optional<catalogue::CopyOf> moved, gone;
  uint64_t archived = 0;
  for (const auto& row : listed.rows) {
    if (row.deleted && row.subject == "moved") moved = row.copy_of;
    if (row.deleted && row.subject == "gone") gone = row.copy_of;
    if (!row.deleted && row.subject == "moved") {
      archived = row.offset;
      EXPECT_EQ(row.record->flags & (1u << 19), 1u << 19);  // answered
      EXPECT_EQ(row.info.flags, row.record->flags);
    }
  }
  ASSERT_TRUE(moved);
  EXPECT_EQ(store.PathText(moved->folder), "Archive");
  EXPECT_EQ(moved->offset, archived);
  EXPECT_FALSE(gone);
  EXPECT_EQ(listed.outcome.copies, 1u);
}

// An index naming no record, a record longer than its file and a marker inside a
// message's text list nothing of their own; a loop of parents in the folder list
// still lists each folder once.
TEST(StoreReading, DamagedOutlookExpress4FilesListOnlyWhatIsThere) {
  testing::TempDir dir;
  const std::string inner = "From: a@x\r\nSubject: inner\r\n\r\n\x7F" + std::string(1, '\0') +
                            "\x7F" + std::string(1, '\0') + "fake\r\n";
  testing::WriteOe4Folder(dir.Path(), "Inbox", {{inner}, {StoreMail("second", "s@x").text}});
  {
    // an extra index entry that names the middle of the first message
    std::fstream idx(dir.Path() + "/Inbox.idx", std::ios::binary | std::ios::in | std::ios::out);
    idx.seekp(0, std::ios::end);
    const auto at = static_cast<uint32_t>(idx.tellp());
    const uint32_t entry[5] = {0, at, 20, 0x54 + 30, 40};
    idx.write(reinterpret_cast<const char*>(entry), sizeof entry);
  }
  {
    // a last record whose text size runs past the end of the file
    std::ofstream mbx(dir.Path() + "/Inbox.mbx", std::ios::binary | std::ios::app);
    const uint32_t header[4] = {0x007F007F, 3, 0xFFFF, 0xFFFF};
    mbx.write(reinterpret_cast<const char*>(header), sizeof header);
    mbx << "short";
  }
  testing::WriteOe4FolderList(dir.Path() + "/folders.nch", {{"A", "Inbox.mbx", 1}, {"B", "", 0}});
  const MailStore store = ReadStore(dir.Path());
  EXPECT_EQ(TreeOf(store), (std::vector<std::string>{"A [Inbox.mbx]", "A/B []"}));
  const Listed listed = ScanStore(store);
  ASSERT_EQ(listed.rows.size(), 2u);
  EXPECT_EQ(listed.rows[0].subject, "inner");
  EXPECT_EQ(listed.rows[1].subject, "second");
  EXPECT_EQ(listed.outcome.ending, engine::RunEnding::kDone);
}

// An index that is there but cannot be read (another program holds it) is said; its
// messages are still listed, as the index does not name them.
TEST(StoreReading, AnOutlookExpress4IndexThatCannotBeReadIsSaid) {
  testing::TempDir dir;
  testing::WriteOe4Folder(dir.Path(), "Inbox", {{StoreMail("kept", "k@x").text}});
  const std::string idx = dir.Path() + "/Inbox.idx";
  const int holder = ::open(idx.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const Listed listed = ScanStore(ReadStore(dir.Path()));
  ::close(holder);
  ASSERT_EQ(listed.rows.size(), 1u);
  EXPECT_EQ(listed.rows[0].subject, "kept");
  ASSERT_EQ(listed.outcome.notes.size(), 1u);
  EXPECT_NE(listed.outcome.notes[0].find("Inbox.idx: the index cannot be read (in use by another"),
            std::string::npos)
      << listed.outcome.notes[0];
  EXPECT_TRUE(ScanStore(ReadStore(dir.Path())).outcome.notes.empty());
}

// The session reads a store named by its folder on its worker and hands it over before
// its rows; each stage's time adds up over the store's files; a folder that cannot be
// listed is said.
TEST(StoreSession, AStoreReadByTheSessionComesBeforeItsRowsWithItsStageTimes) {
  testing::TempDir dir;
  testing::WriteFolderList(dir.Path() + "/Folders.dbx",
                           {{4, 1, "Inbox", "Inbox.dbx", 1}, {5, 1, "Archive", "Archive.dbx"}});
  testing::WriteMailFile(dir.Path() + "/Inbox.dbx", {StoreMail("one", "1@x")});
  testing::WriteMailFile(dir.Path() + "/Archive.dbx", {StoreMail("two", "2@x", true)});
  session::ImmediateCrossing crossing;
  std::vector<std::string> events;
  session::ScanOutcome outcome;
  session::SessionEvents on;
  on.store = [&](const MailStore& store) {
    events.push_back("store of " + std::to_string(store.folders.size()));
  };
  on.rows = [&](std::vector<catalogue::CatalogueRow>& batch) {
    for (const auto& row : batch) events.push_back(row.subject);
  };
  on.finished = [&](const session::ScanOutcome& o) { outcome = o; };
  {
    session::RecoverySession session(crossing, on);
    session.StartStore(dir.Path());
    session.Wait();
  }
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], "store of 2");
  for (double seconds : outcome.stage_seconds) EXPECT_GT(seconds, 0.0);

  const MailStore missing = ReadStore(dir.Path() + "/gone");
  ASSERT_EQ(missing.notes.size(), 1u);
  EXPECT_NE(missing.notes[0].find("gone: the folder cannot be read (No such file"),
            std::string::npos)
      << missing.notes[0];
}

}  // namespace
}  // namespace rescuva::store
