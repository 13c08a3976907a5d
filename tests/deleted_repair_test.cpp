// The repair of deleted messages, chosen by the user: folder files written the way
// Outlook Express leaves deleted mail (four bytes of every block overwritten, the last
// block padded with zeros), listed and extracted with and without it.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "bench/folder_generator.h"
#include "engine/deleted_block_repair.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::testing {
namespace {

using engine::Repair;

constexpr const char* kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Lines of 76 characters, as mail programs write base64.
std::string Base64(const std::vector<uint8_t>& bytes) {
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? bytes[i + k] : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
    if ((column += 4) == 76 && i + 3 < bytes.size()) {
      out += "\r\n";
      column = 0;
    }
  }
  return out;
}

std::vector<uint8_t> Unbase64(const std::string& text) {
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const char* at = std::strchr(kBase64, c);
    if (c == '\0' || !at) continue;
    bits = bits << 6 | static_cast<uint32_t>(at - kBase64);
    if ((count += 6) >= 8) out.push_back(static_cast<uint8_t>(bits >> (count -= 8)));
  }
  return out;
}

std::string Paragraphs(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "Paragraph " + std::to_string(i) + " of the old notes.\r\n";
  return text;
}

class DeletedRepairTest : public ::testing::Test {
 protected:
  // One folder file holding each text as a deleted message, in order.
  std::string Folder(const std::vector<std::string>& texts) {
    const std::string path = dir_.Path() + "/deleted" + std::to_string(++folders_) + ".dbx";
    bench::WriteGeneratedFolder(path, texts.size(),
                                [&](size_t i) {
                                  return bench::GeneratedMessage{texts[i], true};
                                },
                                {});
    return path;
  }
  std::string Extract(const ScannedFolder& folder, size_t row, Repair repair) {
    const std::string out = dir_.Path() + "/out.eml";
    EXPECT_TRUE(folder.engine.ExtractToFile(out, folder.rows.at(row).offset, repair));
    return ReadFileText(out);
  }

  TempDir dir_;
  int folders_ = 0;
};

const std::string kFromFirst =
    "From: Dmitri Volkov <dmitri@example.org>\r\nTo: ada@example.org\r\n"
    "Subject: Old meeting notes\r\nDate: Mon, 16 Feb 2004 17:45:00 "
    "+0000\r\n\r\n" +
    Paragraphs(40);
const std::string kReceivedFirst =
    "Received: from mail.example.net by mx.example.org\r\n" + kFromFirst;

TEST_F(DeletedRepairTest, RepairedTextKeepsItsLengthAndItsFirstHeader) {
  ScannedFolder plain(Folder({kFromFirst, kReceivedFirst}));
  ASSERT_EQ(plain.rows.size(), 2u);
  EXPECT_EQ(plain.rows[0].from, "");  // "____: Dmitri ..." names no header
  const std::string unrepaired = Extract(plain, 0, Repair::kNulOnly);
  EXPECT_EQ(unrepaired.size() % 512, 0u);  // padded to the whole last block
  EXPECT_EQ(unrepaired.substr(0, 6), "____: ");

  ScannedFolder repaired(Folder({kFromFirst, kReceivedFirst}), Repair::kDeletedBlocks);
  ASSERT_EQ(repaired.rows.size(), 2u);
  EXPECT_EQ(repaired.rows[0].from, "Dmitri Volkov <dmitri@example.org>");
  EXPECT_TRUE(repaired.rows[0].deleted);
  for (size_t row = 0; row < 2; ++row) {
    const std::string& original = row == 0 ? kFromFirst : kReceivedFirst;
    const std::string text = Extract(repaired, row, Repair::kDeletedBlocks);
    ASSERT_EQ(text.size(), original.size());
    // the first header is whole again; every later block shows its lost bytes
    for (size_t at = 0; at < text.size(); at += 512) {
      EXPECT_EQ(text.substr(at, 4), at == 0 ? original.substr(0, 4) : "????") << at;
      const size_t end = std::min(text.size(), at + 512);
      EXPECT_EQ(text.substr(at + 4, end - at - 4), original.substr(at + 4, end - at - 4));
    }
  }
}

TEST_F(DeletedRepairTest, ABase64AttachmentDecodesAroundEachLostSpot) {
  std::mt19937 random(7);
  std::vector<uint8_t> attachment(6000);
  for (auto& b : attachment) b = static_cast<uint8_t>(random());
  const std::string head =
      "From: ben@example.org\r\nSubject: flyer\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
      "See the picture.\r\n--b\r\nContent-Type: application/octet-stream\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\n";
  const std::string encoded = Base64(attachment);
  const std::string text = head + encoded + "\r\n--b--\r\n";
  ScannedFolder folder(Folder({text}), Repair::kDeletedBlocks);
  ASSERT_EQ(folder.rows.size(), 1u);
  const std::string repaired = Extract(folder, 0, Repair::kDeletedBlocks);
  ASSERT_EQ(repaired.size(), text.size());
  const std::string body = repaired.substr(head.size(), encoded.size());
  const std::vector<uint8_t> decoded = Unbase64(body);
  ASSERT_EQ(decoded.size(), attachment.size());
  // which decoded bytes the characters of each lost spot carried
  std::vector<bool> lost(attachment.size(), false);
  size_t characters = 0;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\r' || encoded[i] == '\n') continue;
    if ((head.size() + i) % 512 < 4) {
      for (size_t bit = characters * 6; bit < characters * 6 + 6; bit += 2) {
        if (bit / 8 < lost.size()) lost[bit / 8] = true;
      }
    }
    ++characters;
  }
  size_t differing = 0;
  for (size_t i = 0; i < attachment.size(); ++i) {
    if (decoded[i] != attachment[i]) {
      EXPECT_TRUE(lost[i]) << "byte " << i;
      ++differing;
    }
  }
  EXPECT_GT(differing, 0u);
  EXPECT_LT(differing, 4 * (text.size() / 512 + 1));
}

// The repair on its own: a spot in plain text gets the mark, a short last block keeps
// its lost bytes, a first header it cannot name stays marked.
TEST(DeletedBlockRepair, MarksWhatItCannotRestore) {
  auto repair = [](std::string text, std::vector<engine::GatheredBlock> blocks) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    engine::RepairDeletedBlocks(bytes, blocks);
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(repair(std::string("\0\0\0\0ived: x\r\n", 13) + std::string(3, '\0'), {{0, 16, true}}),
            "Received: x\r\n");
  EXPECT_EQ(repair(std::string("\0\0\0\0: 16 Feb 2004\r\n", 19), {{0, 19, true}}),
            "Date: 16 Feb 2004\r\n");
  EXPECT_EQ(repair(std::string("\0\0\0\0o: bob\r\n", 12), {{0, 12, true}}), "????o: bob\r\n");
  // a live block is left as it is; a freed one of two bytes keeps no more than it holds
  EXPECT_EQ(repair("abcdefgh" + std::string("\x01\x02", 2), {{0, 8, false}, {8, 2, true}}),
            "abcdefgh??");
}

}  // namespace
}  // namespace rescuva::testing
