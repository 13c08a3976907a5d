// A recovery session end to end: what it delivers and in which order, how it says it
// ended, and what it reports when its scratch folder cannot be used.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>

#include "bench/generated_mail.h"
#include "platform/digests.h"
#include "platform/scratch_files.h"
#include "session/recovery_session.h"
#include "session/report_digest_job.h"
#include "session/scan_outcome_text.h"
#include "session/text_search.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::session {
namespace {

struct Delivered {
  std::vector<std::string> statuses;
  std::vector<catalogue::CatalogueRow> rows;
  std::optional<ScanOutcome> outcome;
  bool rows_after_outcome = false;

  SessionEvents Events() {
    SessionEvents events;
    events.status = [this](const std::string& text) { statuses.push_back(text); };
    events.rows = [this](std::vector<catalogue::CatalogueRow>& batch) {
      rows_after_outcome = rows_after_outcome || outcome.has_value();
      rows.insert(rows.end(), batch.begin(), batch.end());
    };
    events.finished = [this](const ScanOutcome& o) { outcome = o; };
    return events;
  }
};

TEST(RecoverySession, DeliversTheRowsOfTheSampleThenItsOutcome) {
  testing::TempDir dir;
  const std::string sample = testing::CopyOfSample(dir.Path());
  ImmediateCrossing crossing;
  Delivered delivered;
  std::string scratch;
  {
    RecoverySession session(crossing, delivered.Events());
    scratch = session.ScratchPath();
    session.Start(sample);
    session.Wait();
    EXPECT_FALSE(session.Running());
    // the catalogue took every message's bytes from the engine: no scratch copy
    EXPECT_FALSE(std::filesystem::exists(scratch + "dd.eml"));
  }
  EXPECT_FALSE(std::filesystem::exists(scratch));  // the scratch folder goes with it
  ASSERT_TRUE(delivered.outcome);
  EXPECT_FALSE(delivered.rows_after_outcome);
  EXPECT_EQ(delivered.outcome->ending, engine::RunEnding::kDone);
  EXPECT_EQ(delivered.outcome->counts.listed, 7u);
  EXPECT_EQ(delivered.outcome->counts.existing, 5u);
  EXPECT_EQ(delivered.outcome->Lost(), 0u);
  EXPECT_TRUE(session::LostMessagesText(*delivered.outcome).empty());
  EXPECT_EQ(delivered.statuses.back(), "Repairing  done..");
  // the same rows, in the same order, as the engine and the catalogue give alone
  testing::ScannedFolder alone(testing::CopyOfSample(dir.Path() + "/.."));
  ASSERT_EQ(delivered.rows.size(), alone.rows.size());
  for (size_t i = 0; i < alone.rows.size(); ++i) {
    EXPECT_EQ(delivered.rows[i].offset, alone.rows[i].offset);
    EXPECT_EQ(delivered.rows[i].subject, alone.rows[i].subject);
    EXPECT_EQ(delivered.rows[i].source, sample);
  }
}

// A crossing whose tasks wait until the receiving thread drains them.
class QueuedCrossing : public Crossing {
 public:
  void Post(std::function<void()> task, int) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  bool OnReceivingThread() const override { return false; }
  void Drain() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
  }

 private:
  std::mutex mutex_;
  std::vector<std::function<void()>> tasks_;
};

// The find bar's search through the messages' own text: what --match finds; a search
// started anew or stopped never answers, even when it had ended.
TEST(TextSearch, FindsWhatTheTextHoldsAndOnlyTheNewestSearchAnswers) {
  testing::TempDir dir;
  ImmediateCrossing immediate;
  Delivered delivered;
  RecoverySession session(immediate, delivered.Events());
  session.Start(testing::CopyOfSample(dir.Path()));
  session.Wait();
  std::vector<catalogue::MessageKey> keys;
  for (const auto& row : delivered.rows) keys.emplace_back(row.folder, row.offset);
  QueuedCrossing crossing;
  int superseded = 0;
  std::optional<std::set<catalogue::MessageKey>> newest;
  TextSearch search(crossing);
  search.Start(session, engine::Repair::kNulOnly, keys, "paragraph",
               [&](std::set<catalogue::MessageKey>) { ++superseded; });
  search.Start(session, engine::Repair::kNulOnly, keys, "PARAGRAPH 1",
               [&](std::set<catalogue::MessageKey> found) { newest = found; });
  for (int i = 0; i < 2000 && !newest; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    crossing.Drain();
  }
  ASSERT_TRUE(newest);
  EXPECT_EQ(newest->size(), 3u);  // as --match counts them
  search.Start(session, engine::Repair::kNulOnly, keys, "paragraph",
               [&](std::set<catalogue::MessageKey>) { ++superseded; });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  search.Stop();
  crossing.Drain();
  EXPECT_EQ(superseded, 0);
}

// A generated folder of 500 messages (every fourth deleted, in scattered runs) lists
// as the version before the parallel catalogue did: the same rows in the same order,
// each with the same digest of its bytes.
TEST(RecoverySession, AGeneratedFolderListsAsBefore) {
  testing::TempDir dir;
  const std::string file = dir.Path() + "/generated.dbx";
  ASSERT_TRUE(bench::WriteGeneratedFolder(
      file, 500, [](size_t i) { return bench::GeneratedMail(i, i % 4 == 3); }, {4}));
  ImmediateCrossing crossing;
  platform::Hasher listing(platform::HashKind::kSha256);
  size_t rows = 0;
  SessionEvents events;
  events.listed = [&](const catalogue::CatalogueRow& row, std::span<const char>) {
    const std::string line =
        std::to_string(row.offset) + " " + row.StatusText() + " " + row.digests.sha256 + "\n";
    listing.Update({reinterpret_cast<const uint8_t*>(line.data()), line.size()});
    ++rows;
  };
  {
    RecoverySession session(crossing, events);
    ScanOptions options;
    options.digests = true;
    session.Start(file, options);
    session.Wait();
  }
  EXPECT_EQ(rows, 500u);
  EXPECT_EQ(listing.HexDigest(),
            "7b15595395db2212119f586d150737f451ca2c61cb2478ea25491f9b6684e1b4");
}

// Digests taken after a scan that took none are those the scan would have taken, with
// either repair: each message is read again as the scan read it, the file whole. A stop
// ends either step early.
TEST(RecoverySession, DigestsTakenAfterTheScanAreTheScansOwn) {
  testing::TempDir dir;
  const std::string file = dir.Path() + "/generated.dbx";
  ASSERT_TRUE(bench::WriteGeneratedFolder(
      file, 300, [](size_t i) { return bench::GeneratedMail(i, i % 3 == 1); }, {4}));
  for (engine::Repair repair : {engine::Repair::kNulOnly, engine::Repair::kDeletedBlocks}) {
    auto scan = [&](bool digests, bool afterwards) {
      ImmediateCrossing crossing;
      Delivered delivered;
      RecoverySession session(crossing, delivered.Events());
      ScanOptions options;
      options.digests = options.source_digests = digests;
      options.trace = options.fragments = true;
      options.repair = repair;
      session.Start(file, options);
      session.Wait();
      if (afterwards) {
        EXPECT_TRUE(session.DigestRows(delivered.rows));
        EXPECT_TRUE(session.DigestFiles(delivered.outcome->files));
      }
      return delivered;
    };
    const auto during = scan(true, false);
    const auto lean = scan(false, false);
    const auto after = scan(false, true);
    ASSERT_EQ(during.rows.size(), 300u);
    ASSERT_EQ(after.rows.size(), during.rows.size());
    EXPECT_TRUE(lean.rows.front().digests.Empty());
    for (size_t i = 0; i < during.rows.size(); ++i) {
      EXPECT_FALSE(during.rows[i].digests.Empty());
      EXPECT_EQ(after.rows[i].digests.md5, during.rows[i].digests.md5) << i;
      EXPECT_EQ(after.rows[i].digests.sha1, during.rows[i].digests.sha1) << i;
      EXPECT_EQ(after.rows[i].digests.sha256, during.rows[i].digests.sha256) << i;
    }
    ASSERT_EQ(lean.outcome->files.size(), 1u);
    EXPECT_TRUE(lean.outcome->files[0].facts.digests.Empty());
    ASSERT_EQ(after.outcome->files.size(), 1u);
    EXPECT_FALSE(during.outcome->files[0].facts.digests.Empty());
    EXPECT_EQ(after.outcome->files[0].facts.digests, during.outcome->files[0].facts.digests);
  }

  ImmediateCrossing crossing;
  Delivered delivered;
  RecoverySession session(crossing, delivered.Events());
  ScanOptions options;
  options.trace = true;
  session.Start(file, options);
  session.Wait();
  // the window's job: every row and the file, the progress reaching the whole; a stop
  // leaves the job incomplete
  std::vector<catalogue::CatalogueRow> rows = delivered.rows;
  std::vector<ScannedFile> files = delivered.outcome->files;
  std::mutex mutex;
  DigestProgress last;
  bool finished = false;
  {
    ReportDigestJob job(
        session, rows, files,
        [&](const DigestProgress& progress) {
          std::lock_guard lock(mutex);
          last.done = std::max(last.done, progress.done);
          last.total = progress.total;
        },
        [&] { finished = true; });
    job.Start();
    job.Wait();
    EXPECT_TRUE(job.Complete());
  }
  EXPECT_TRUE(finished);
  EXPECT_EQ(last.done, last.total);
  EXPECT_EQ(last.total,
            std::accumulate(rows.begin(), rows.end(), uint64_t{0},
                            [](uint64_t sum, const auto& row) { return sum + row.size; }) +
                files[0].facts.length);
  EXPECT_TRUE(
      std::none_of(rows.begin(), rows.end(), [](const auto& row) { return row.digests.Empty(); }));
  EXPECT_FALSE(files[0].facts.digests.Empty());
  {
    std::vector<catalogue::CatalogueRow> more = delivered.rows;
    ReportDigestJob stopped(session, more, files, nullptr, nullptr);
    stopped.RequestStop();
    stopped.Start();
    stopped.Wait();
    EXPECT_FALSE(stopped.Complete());
  }

  const DigestStep stop = [](uint64_t) { return false; };
  EXPECT_FALSE(session.DigestRows(delivered.rows, stop));
  const auto digested = std::count_if(delivered.rows.begin(), delivered.rows.end(),
                                      [](const auto& row) { return !row.digests.Empty(); });
  EXPECT_GT(digested, 0);
  EXPECT_LT(digested, 300);
  EXPECT_FALSE(session.DigestFiles(delivered.outcome->files, stop));
  EXPECT_TRUE(delivered.outcome->files[0].facts.digests.Empty());
}

TEST(RecoverySession, SaysWhenTheFileCannotBeOpenedOrTheScanWasStopped) {
  testing::TempDir dir;
  ImmediateCrossing crossing;
  Delivered missing;
  {
    RecoverySession session(crossing, missing.Events());
    session.Start(dir.Path() + "/missing.dbx");
  }
  ASSERT_TRUE(missing.outcome);
  EXPECT_EQ(missing.outcome->ending, engine::RunEnding::kCannotOpen);
  EXPECT_EQ(missing.statuses, std::vector<std::string>{"Opening file..."});

  Delivered stopped;
  RecoverySession session(crossing, stopped.Events());
  session.RequestStop();
  session.Start(testing::CopyOfSample(dir.Path()));
  session.Wait();
  ASSERT_TRUE(stopped.outcome);
  EXPECT_EQ(stopped.outcome->ending, engine::RunEnding::kStopped);
  EXPECT_EQ(stopped.statuses.back(), "User aborted process");
}

// A temporary folder where nothing can be written: every message found is counted,
// named and reported with the folder, and nothing is listed from another run's files.
// Without a scratch folder the messages the engine holds still list; one too large to
// hold is counted and named.
TEST(RecoverySession, MessagesThatCannotBeWrittenAreCountedAndNamed) {
  testing::TempDir dir;
  const std::string file = testing::WriteFolderWithOversizedMessage(dir.Path());
  const std::string blocked = dir.Path() + "/blocked";
  std::ofstream(blocked) << "a file where the temporary folder should be";
  setenv("TMPDIR", blocked.c_str(), 1);
  ImmediateCrossing crossing;
  Delivered delivered;
  {
    RecoverySession session(crossing, delivered.Events());
    session.Start(file);
    session.Wait();
  }
  ASSERT_TRUE(delivered.outcome);
  const ScanOutcome& outcome = *delivered.outcome;
  EXPECT_EQ(outcome.ending, engine::RunEnding::kDone);
  ASSERT_EQ(delivered.rows.size(), 1u);
  EXPECT_EQ(delivered.rows[0].subject, "small");
  EXPECT_EQ(outcome.not_written, 1u);
  ASSERT_EQ(outcome.problems.size(), 1u);
  EXPECT_EQ(outcome.problems[0].offset, testing::kOversizedFirst);
  EXPECT_FALSE(outcome.scratch_error.empty());
  const auto text = LostMessagesText(outcome);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text[0], "1 emails were found but could not be read into the list.");
  EXPECT_NE(text[1].find(blocked), std::string::npos);
}

// What a scan says beside its rows: a file that is no folder file, a file of another
// kind, and a folder file longer than the engine reads; a read error with no note of its
// own still reaches the user; an empty folder file is nothing to note.
TEST(RecoverySession, NotesSayWhatWasNotReadAndWhatTheFileIs) {
  testing::TempDir dir;
  ImmediateCrossing crossing;
  auto notes_of = [&](const std::string& path, bool stop = false) {
    Delivered delivered;
    RecoverySession session(crossing, delivered.Events());
    if (stop) session.RequestStop();
    session.Start(path);
    session.Wait();
    return delivered.outcome ? delivered.outcome->notes : std::vector<std::string>{"no outcome"};
  };
  const std::string picture = dir.Path() + "/holiday.dbx";
  std::ofstream(picture, std::ios::binary) << "\x89PNG\r\n\x1a\n" << std::string(5000, 'x');
  const auto picture_notes = notes_of(picture);
  ASSERT_EQ(picture_notes.size(), 1u);
  EXPECT_NE(picture_notes[0].find("not an Outlook Express folder file"), std::string::npos);
  EXPECT_TRUE(notes_of(dir.Path() + "/missing.dbx").empty());  // cannot be opened: no note
  const auto list_notes = notes_of(testing::Fixture("Folders.dbx"));
  ASSERT_EQ(list_notes.size(), 1u);
  EXPECT_NE(list_notes[0].find("folder list"), std::string::npos);
  EXPECT_TRUE(notes_of(testing::Fixture("Outbox.dbx")).empty());

  // an image the program recognises but cannot read is named, never listed as empty
  const std::string broken = dir.Path() + "/disk.E01";
  std::ofstream(broken, std::ios::binary)
      << std::string("EVF\x09\x0d\x0a\xff\x00", 8) << std::string(5000, '\0');
  const auto broken_notes = notes_of(broken);
  ASSERT_EQ(broken_notes.size(), 1u);
  EXPECT_NE(
      broken_notes[0].find("an EWF image, but its segment .E02 is missing, or .E01 is damaged"),
      std::string::npos)
      << broken_notes[0];
  const std::string packed = dir.Path() + "/Inbox.dbx.gz";
  std::ofstream(packed, std::ios::binary) << "\x1f\x8b\x08" << std::string(100, 'x');
  ASSERT_EQ(notes_of(packed).size(), 1u);
  EXPECT_NE(notes_of(packed)[0].find("gzip-compressed"), std::string::npos);

  ScanOutcome failed;
  failed.ending = engine::RunEnding::kReadError;
  EXPECT_EQ(
      ScanEndNotes(failed),
      std::vector<std::string>{"Reading the file failed: the list ends where reading stopped."});
  failed.notes = {"Inbox.dbx: reading failed; its listing ends there"};
  EXPECT_EQ(ScanEndNotes(failed), failed.notes);
  EXPECT_TRUE(ScanEndNotes(ScanOutcome{}).empty());
}

}  // namespace
}  // namespace rescuva::session
