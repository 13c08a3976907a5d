// Evidence as examiners hold it: folder files inside disk images past 4 GiB, stored in
// pieces out of order among other bytes, with a piece lost, imaged as EWF or as a raw
// image in segments. Every message comes back with its own bytes, or says it was cut.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"
#include "catalogue/message_catalogue.h"
#include "engine/dbx_recovery_engine.h"
#include "platform/evidence.h"
#include "platform/scratch_folder.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"
#include "tests/tool_output.h"

namespace rescuva::testing {
namespace {

using engine::ChainEnd;
using Bytes = std::vector<uint8_t>;

struct Listing {
  engine::RunOutcome outcome;
  std::vector<RecoveredMessage> messages;
};

Listing RunEngine(const std::string& path) {
  RecordingReporter reporter;
  engine::DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  Listing run{engine.Run(path), {}};
  run.messages = std::move(reporter.messages);
  return run;
}

std::multiset<std::string> Texts(const Listing& run) {
  std::multiset<std::string> texts;
  for (const auto& message : run.messages) texts.insert(message.text);
  return texts;
}

void WriteAt(const std::string& path, uint64_t position, const Bytes& bytes) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(static_cast<std::streamoff>(position));
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class EvidenceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_dir_ = new TempDir;
    const std::string path = folder_dir_->Path() + "/generated.dbx";
    bench::WriteGeneratedFolder(path, 160,
                                [](size_t i) { return bench::GeneratedMail(i, i % 4 == 0); }, {4});
    folder_ = new Bytes(ReadFileBytes(path));
    alone_ = new Listing(RunEngine(path));
  }
  static void TearDownTestSuite() {
    delete alone_;
    delete folder_;
    delete folder_dir_;
  }

  // An image of random bytes holding the folder file cut at `cuts` (multiples of
  // 4 KiB), its pieces in shuffled order on 512-byte boundaries; piece `lost` is left
  // out. The pieces' positions in the image, in file order.
  std::vector<uint64_t> Image(const std::string& path, size_t pieces, unsigned seed,
                              int lost = -1) {
    std::mt19937 random(seed);
    const Bytes& file = *folder_;
    std::set<uint64_t> cut_set;
    while (cut_set.size() < pieces - 1)
      cut_set.insert((random() % (file.size() / 4096 - 1) + 1) * 4096);
    std::vector<uint64_t> cuts{0};
    cuts.insert(cuts.end(), cut_set.begin(), cut_set.end());
    cuts.push_back(file.size());
    std::vector<size_t> order(pieces);
    for (size_t i = 0; i < pieces; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    Bytes image((file.size() * 2 + pieces * 8192) / 512 * 512);  // whole sectors, as a disk
    for (auto& byte : image) byte = static_cast<uint8_t>(random());
    std::vector<uint64_t> positions(pieces);
    uint64_t at = 4096;
    for (size_t piece : order) {
      at += (random() % 8) * 512;
      positions[piece] = at;
      if (static_cast<int>(piece) != lost) {
        std::copy(file.begin() + static_cast<ptrdiff_t>(cuts[piece]),
                  file.begin() + static_cast<ptrdiff_t>(cuts[piece + 1]),
                  image.begin() + static_cast<ptrdiff_t>(at));
      }
      at += cuts[piece + 1] - cuts[piece];
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    return positions;
  }

  // Every message is one the folder file gives on its own, byte for byte, or says it
  // was cut (a text without a message's headers may also say its front is unsure).
  static void ExpectWholeOrCut(const Listing& run) {
    const std::multiset<std::string> whole = Texts(*alone_);
    for (const auto& message : run.messages) {
      if (whole.contains(message.text)) continue;
      const bool tail = message.front_unsure &&
                        !catalogue::MakeCatalogueRow(
                            std::span(message.text.data(), message.text.size()), false, 0);
      EXPECT_TRUE(message.end != ChainEnd::kWhole || tail)
          << "listed as whole but not the message it was, at " << message.offset;
    }
  }

  TempDir dir_;
  static TempDir* folder_dir_;
  static Bytes* folder_;
  static Listing* alone_;
};

TempDir* EvidenceTest::folder_dir_ = nullptr;
Bytes* EvidenceTest::folder_ = nullptr;
Listing* EvidenceTest::alone_ = nullptr;

TEST_F(EvidenceTest, PiecesInAnyOrderGiveEveryMessageBackWhole) {
  ASSERT_EQ(alone_->messages.size(), 160u);
  for (size_t pieces : {2u, 4u, 16u}) {
    SCOPED_TRACE(pieces);
    const std::string path = dir_.Path() + "/pieces.img";
    Image(path, pieces, static_cast<unsigned>(pieces));
    const Listing run = RunEngine(path);
    EXPECT_EQ(run.outcome.ending, engine::RunEnding::kDone);
    EXPECT_EQ(Texts(run), Texts(*alone_));
    for (const auto& message : run.messages) EXPECT_EQ(message.end, ChainEnd::kWhole);
  }
}

// The messages a lost piece held are listed with what survives and marked cut where
// their chains stop: in a piece that was found.
TEST_F(EvidenceTest, ALostPieceCutsTheMessagesItHeld) {
  const std::string path = dir_.Path() + "/lost.img";
  const auto positions = Image(path, 8, 3, 4);
  const Listing run = RunEngine(path);
  ExpectWholeOrCut(run);
  size_t cut = 0, whole = 0;
  const std::multiset<std::string> texts = Texts(*alone_);
  for (const auto& message : run.messages) {
    whole += texts.contains(message.text);
    if (message.end != ChainEnd::kNextMissing) continue;
    ++cut;
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [&](uint64_t at) {
      return message.stop >= at && message.stop < at + folder_->size();
    }));
  }
  EXPECT_GT(cut, 0u);
  EXPECT_GT(whole, alone_->messages.size() / 2);
}

// A sparse image past 4 GiB: one folder file below 4 GiB, one above it, at a position
// no cluster boundary gives; each lists exactly what it lists on its own.
TEST_F(EvidenceTest, FolderFilesPastFourGibList) {
  const std::string path = dir_.Path() + "/large.img";
  constexpr uint64_t kHigh = (uint64_t{4} << 30) + (1 << 20) + 123;
  { std::ofstream(path, std::ios::binary); }
  std::filesystem::resize_file(path, kHigh + folder_->size() + (1 << 20));
  const Bytes sample = ReadFileBytes(SamplePath());
  WriteAt(path, 3 << 29, sample);
  WriteAt(path, kHigh, *folder_);
  const Listing run = RunEngine(path);
  EXPECT_EQ(run.outcome.ending, engine::RunEnding::kDone);
  std::multiset<std::string> expected = Texts(*alone_);
  const Listing sample_alone = RunEngine(SamplePath());
  for (const auto& message : sample_alone.messages) expected.insert(message.text);
  EXPECT_EQ(Texts(run), expected);
  size_t high = 0;
  for (const auto& message : run.messages) high += message.offset > kHigh;
  EXPECT_EQ(high, alone_->messages.size());
}

// A sparse 64 GiB image with the folder file near its end: every message lists, and
// memory grows with what was found, not with the image (no structure per byte).
TEST_F(EvidenceTest, A64GibImageCostsMemoryForWhatItHoldsOnly) {
  const std::string path = dir_.Path() + "/huge.img";
  constexpr uint64_t kAt = (uint64_t{60} << 30) + 4096 + 512;
  { std::ofstream(path, std::ios::binary); }
  std::filesystem::resize_file(path, uint64_t{64} << 30);
  WriteAt(path, kAt, *folder_);
  struct rusage before {};
  ::getrusage(RUSAGE_SELF, &before);
  const Listing run = RunEngine(path);
  struct rusage after {};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_EQ(Texts(run), Texts(*alone_));
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);  // KiB
}

// The same image as EWF (written by ewfacquire, in segments) and as numbered raw
// segments lists exactly what the raw image lists; the EWF image's own MD5 is read,
// and a missing segment is named.
TEST_F(EvidenceTest, EwfAndSplitImagesListWhatTheRawImageLists) {
  const std::string raw = dir_.Path() + "/disk.raw";
  Image(raw, 4, 9);
  const Listing expected = RunEngine(raw);
  ASSERT_FALSE(expected.messages.empty());

  const std::string ewf = dir_.Path() + "/disk";
  ASSERT_EQ(
      std::system(
          ("ewfacquire -u -q -c none -S 1MiB -t " + ewf + " " + raw + " >/dev/null 2>&1").c_str()),
      0);
  ASSERT_TRUE(std::filesystem::exists(ewf + ".E02"));
  const Listing from_ewf = RunEngine(ewf + ".E01");
  EXPECT_EQ(Texts(from_ewf), Texts(expected));
  platform::Evidence evidence = platform::OpenEvidence(ewf + ".E01");
  ASSERT_TRUE(evidence.source);
  EXPECT_NE(evidence.kind.find("an EWF image of"), std::string::npos);
  EXPECT_EQ(evidence.source->Stored().md5, FirstWordOf("md5sum " + raw));
  EXPECT_EQ(evidence.source->Length(), std::filesystem::file_size(raw));

  const Bytes bytes = ReadFileBytes(raw);
  const size_t third = bytes.size() / 3 + 1;
  for (size_t i = 0; i < 3; ++i) {
    const auto from = bytes.begin() + static_cast<ptrdiff_t>(i * third);
    const auto to = i == 2 ? bytes.end() : from + static_cast<ptrdiff_t>(third);
    std::ofstream(dir_.Path() + "/split.00" + std::to_string(i + 1), std::ios::binary)
        .write(reinterpret_cast<const char*>(&*from), to - from);
  }
  EXPECT_EQ(Texts(RunEngine(dir_.Path() + "/split.001")), Texts(expected));

  std::filesystem::rename(ewf + ".E02", dir_.Path() + "/away");
  const Listing missing = RunEngine(ewf + ".E01");
  EXPECT_EQ(missing.outcome.ending, engine::RunEnding::kCannotOpen);
  ASSERT_EQ(missing.outcome.notes.size(), 1u);
  EXPECT_NE(missing.outcome.notes[0].find("an EWF image, but its segment .E02 is missing"),
            std::string::npos)
      << missing.outcome.notes[0];
}

// A file the program recognises but does not read (a ZIP archive) ends the run with its
// kind named, and reading a message from it afterwards fails and says so.
TEST(Evidence, AnUnreadableKindIsNamedAndNothingIsReadFromIt) {
  TempDir dir;
  const std::string path = dir.Path() + "/mail.zip";
  std::ofstream(path, std::ios::binary) << "PK\x03\x04" << std::string(70000, 'x');
  RecordingReporter reporter;
  engine::DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  const engine::RunOutcome outcome = engine.Run(path);
  EXPECT_EQ(outcome.ending, engine::RunEnding::kCannotOpen);
  ASSERT_EQ(outcome.notes.size(), 1u);
  EXPECT_NE(outcome.notes[0].find("a ZIP archive; unpack it first"), std::string::npos);
  std::vector<uint8_t> text;
  std::string error;
  EXPECT_FALSE(engine.ExtractToBytes(0x3000, engine::Repair::kNulOnly, text, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(engine.ExtractToFile(dir.Path() + "/out.eml", 0x3000));
}

}  // namespace
}  // namespace rescuva::testing
