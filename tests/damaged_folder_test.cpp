// Folder files as they come from damaged disks and disk images: cut or padded at the
// front, glued behind another, carved out of a larger image, their index gone or
// their chains broken. Every message whose blocks survive lists with its own bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <tuple>

#include "bench/generated_mail.h"
#include "engine/byte_order.h"
#include "engine/folder_file_header.h"
#include "engine/message_block.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::testing {
namespace {

using Bytes = std::vector<uint8_t>;
// status, subject, the bytes ExtractToFile gives back for the row
using Listed = std::tuple<std::string, std::string, std::string>;

class DamagedFolderTest : public ::testing::Test {
 protected:
  std::string Put(const Bytes& bytes, const std::string& name) {
    const std::string path = dir_.Path() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::vector<Listed> List(const Bytes& bytes, const std::string& name = "variant.dbx") {
    ScannedFolder folder(Put(bytes, name));
    std::vector<Listed> listed;
    const std::string out = dir_.Path() + "/out.eml";
    for (const auto& row : folder.rows) {
      EXPECT_TRUE(folder.engine.ExtractToFile(out, row.offset)) << row.subject;
      listed.emplace_back(row.StatusText(), row.subject, ReadFileText(out));
    }
    std::sort(listed.begin(), listed.end());
    return listed;
  }
  static Bytes Random(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
  }
  static Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }
  // A larger folder: 200 generated messages, every fifth deleted, in scattered runs.
  Bytes Generated() {
    const std::string path = dir_.Path() + "/generated.dbx";
    bench::WriteGeneratedFolder(path, 200,
                                [](size_t i) { return bench::GeneratedMail(i, i % 5 == 0); }, {4});
    return ReadFileBytes(path);
  }
  // Offsets of the blocks of the chain starting at `first`.
  static std::vector<uint32_t> ChainOf(const Bytes& file, uint32_t first) {
    std::vector<uint32_t> chain;
    for (uint32_t b = first; b != 0 && b + 16 <= file.size() && chain.size() < 10000;
         b = engine::LoadLe32(&file[b + 12])) {
      chain.push_back(b);
    }
    return chain;
  }

  TempDir dir_;
};

TEST_F(DamagedFolderTest, ShiftedCopiesOfTheSampleListEveryMessageWithItsBytes) {
  const Bytes sample = ReadFileBytes(SamplePath());
  const auto original = List(sample, "sample.dbx");
  ASSERT_EQ(original.size(), 7u);
  auto cut = [&](size_t n) {
    return Bytes(sample.begin() + static_cast<ptrdiff_t>(n), sample.end());
  };
  const std::vector<std::pair<std::string, Bytes>> variants = {
      {"cut 1", cut(1)},
      {"cut 7", cut(7)},
      {"cut 4096", cut(4096)},
      {"64 KiB of zeros in front", Join({Bytes(65536, 0), sample})},
      {"1000 random bytes in front", Join({Random(1000, 1), sample})},
      {"inside a 10 MB image",
       Join({Random(3'000'001, 2), sample, Random(10'000'000 - 3'000'001, 3)})},
  };
  for (const auto& [what, bytes] : variants) EXPECT_EQ(List(bytes), original) << what;
}

TEST_F(DamagedFolderTest, GluedFilesListBoth) {
  const Bytes sample = ReadFileBytes(SamplePath());
  const Bytes generated = Generated();
  auto expected = List(sample, "sample.dbx");
  const auto second = List(generated, "generated.dbx");
  EXPECT_EQ(second.size(), 200u);
  expected.insert(expected.end(), second.begin(), second.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(List(Join({sample, generated})), expected);
}

// Cut 100,000 bytes into a larger file: the messages lying wholly beyond the cut come
// back whole, existing and deleted.
TEST_F(DamagedFolderTest, AFileCutDeepKeepsEveryMessageBeyondTheCut) {
  const Bytes generated = Generated();
  constexpr size_t kCut = 100'000;
  ScannedFolder whole(Put(generated, "generated.dbx"));
  std::vector<Listed> surviving;
  const std::string out = dir_.Path() + "/out.eml";
  for (const auto& row : whole.rows) {
    const auto chain = ChainOf(generated, static_cast<uint32_t>(row.offset));
    if (*std::min_element(chain.begin(), chain.end()) < kCut) continue;
    ASSERT_TRUE(whole.engine.ExtractToFile(out, row.offset));
    surviving.emplace_back(row.StatusText(), row.subject, ReadFileText(out));
  }
  ASSERT_GT(surviving.size(), 100u);
  const auto listed = List(Bytes(generated.begin() + kCut, generated.end()));
  for (const Listed& message : surviving) {
    EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), message)) << std::get<1>(message);
  }
}

TEST_F(DamagedFolderTest, TheRealInboxCutAndPadded) {
  const Bytes inbox = ReadFileBytes(Fixture("Inbox.dbx"));
  const auto original = List(inbox, "Inbox.dbx");
  ASSERT_EQ(original.size(), 1u);
  EXPECT_EQ(List(Bytes(inbox.begin() + 7, inbox.end())), original);
  EXPECT_EQ(List(Join({Bytes(65536, 0), inbox})), original);
  EXPECT_EQ(List(Join({Random(1000, 4), inbox})), original);
}

// The sample's long letter names a block past the end of the file after its second
// block; with its index gone, nothing but that pointer ends its chain.
TEST_F(DamagedFolderTest, AChainEndingInAPointerToNothingIsRebuilt) {
  Bytes sample = ReadFileBytes(SamplePath());
  const auto original = List(sample, "sample.dbx");
  std::fill(sample.begin(), sample.begin() + engine::kFolderFileHeaderSize, 0);
  const auto listed = List(sample);
  EXPECT_EQ(listed, original);
  auto letter = std::find_if(listed.begin(), listed.end(), [](const Listed& m) {
    return std::get<1>(m) == "Long letter (its chain breaks off)";
  });
  ASSERT_NE(letter, listed.end());
  EXPECT_EQ(std::get<2>(*letter).size(), 1024u);
}

// Blocks built by hand: a chain whose last pointer names text inside the file, and a
// deleted message one of whose blocks now belongs to another message.
TEST_F(DamagedFolderTest, BrokenChainsEndAtTheirLastBlockAndNeverMix) {
  FolderBuilder folder(0x8000);
  folder.Header(1, 0x2600).Node(0x2600, 0, {{0x2800, 0, 0}}).Record(0x2800, 0x5000);
  const std::string broken = MailText("broken pointer", std::string(700, 'b'));
  folder.Chain({0x3000, 0x3210}, broken);
  folder.Le32(0x3210 + 12, 0x6008);  // names bytes in the middle of other text
  folder.Bytes(0x6000, std::vector<uint8_t>(0x400, 'z'));
  // a deleted message A -> B -> C; B was given to the indexed message
  const std::string old_text = MailText("old deleted", std::string(1200, 'o'));
  folder.Chain({0x4000, 0x5000, 0x4210}, old_text, engine::kFreedBlockSize);
  folder.Le32(0x4000 + 16, 0).Le32(0x4210 + 16, 0x5000);
  const std::string live = MailText("live", std::string(100, 'l'));
  folder.Chain({0x5000}, live);
  ScannedFolder scanned(folder.Write(dir_.Path()));
  std::vector<std::string> subjects;
  for (const auto& row : scanned.rows) subjects.push_back(row.subject);
  EXPECT_EQ(subjects, (std::vector<std::string>{"live", "broken pointer", "old deleted"}));
  const std::string out = dir_.Path() + "/out.eml";
  ASSERT_TRUE(scanned.engine.ExtractToFile(out, 0x3000));
  EXPECT_EQ(ReadFileText(out), broken);
  ASSERT_TRUE(scanned.engine.ExtractToFile(out, 0x5000));
  EXPECT_EQ(ReadFileText(out), live);
  ASSERT_TRUE(scanned.engine.ExtractToFile(out, 0x4000));
  EXPECT_EQ(ReadFileText(out).size(), 512u);  // A alone: B is not the old message's
  EXPECT_TRUE(scanned.rows[2].deleted);
}

}  // namespace
}  // namespace rescuva::testing
