// rescuva-cli as a user runs it: its output forms, saving, and exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/sha256.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::cli {
namespace {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  CliTest() : sample_(testing::CopyOfSample(dir_.Path())) {}

  CliResult Run(const std::string& args) {
    const std::string out = dir_.Path() + "/out.txt", err = dir_.Path() + "/err.txt";
    const int status =
        std::system((std::string(RESCUVA_CLI) + " " + args + " >" + out + " 2>" + err).c_str());
    return {WEXITSTATUS(status), testing::ReadFileText(out), testing::ReadFileText(err)};
  }
  static size_t Lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
  }

  testing::TempDir dir_;
  std::string sample_;
};

TEST_F(CliTest, TableAndSummary) {
  auto r = Run(sample_);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Lines(r.out), 8u);
  EXPECT_NE(r.out.find("Existing       9404  2004-02-10 19:26  Ada Lindqvist <ada@example.org>   "
                       "Minutes of the garden club\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("\n7 messages (5 existing, 2 deleted)\n"), std::string::npos);
  EXPECT_TRUE(r.err.empty());  // no progress bar when stderr is no terminal
}

TEST_F(CliTest, JsonObjectsCarryTheExtractedBytesDigest) {
  auto r = Run("--json --quiet " + sample_);
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(Lines(r.out), 7u);
  const std::string first = r.out.substr(0, r.out.find('\n'));
  EXPECT_TRUE(first.starts_with(
      "{\"offset\": 9404, \"status\": \"Existing\", \"from\": \"Ada Lindqvist <ada@example.org>\", "
      "\"to\": \"Ben Okafor <ben@example.org>\", \"subject\": \"Minutes of the "));
  EXPECT_NE(first.find("\"date\": \"2004-02-10T19:26:59Z\", \"attachments\": []"),
            std::string::npos);
  // size and digest are those of the message as extracted
  std::filesystem::create_directory(dir_.Path() + "/own");
  testing::ScannedFolder folder(testing::CopyOfSample(dir_.Path() + "/own"));
  const std::string path = dir_.Path() + "/m.eml";
  ASSERT_TRUE(folder.engine.ExtractToFile(path, 9404));
  const auto bytes = testing::ReadFileBytes(path);
  Sha256 digest;
  digest.Update(bytes);
  EXPECT_NE(first.find("\"size\": " + std::to_string(bytes.size()) + ", \"sha256\": \"" +
                       digest.HexDigest() + "\"}"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"attachments\": [\"invoice-2004-02.pdf\", \"Saatgut für März.csv\"]"),
            std::string::npos);
}

TEST(Sha256, KnownDigests) {
  Sha256 empty;
  EXPECT_EQ(empty.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  Sha256 abc;
  const std::string text(1000, 'a');
  abc.Update({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  EXPECT_EQ(abc.HexDigest(), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST_F(CliTest, SavingByScope) {
  const std::string eml = dir_.Path() + "/eml";
  std::filesystem::create_directory(eml);
  auto r = Run("--quiet --save-eml " + eml + " --scope deleted " + sample_);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(eml), {}), 2);
  EXPECT_NE(r.err.find("2 saved, 0 failed"), std::string::npos);
  r = Run("--quiet --save-dbx " + dir_.Path() + "/out.dbx --scope existing " + sample_);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Run(dir_.Path() + "/out.dbx").out.find("5 messages (5 existing, 0 deleted)"),
            std::string::npos);
  r = Run("--quiet --save-mbox " + dir_.Path() + "/out.mbox " + sample_);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8);
}

TEST_F(CliTest, ExitStatuses) {
  EXPECT_EQ(Run("").code, 2);
  auto usage = Run("--bogus " + sample_);
  EXPECT_EQ(usage.code, 2);
  EXPECT_NE(usage.err.find("usage: rescuva-cli"), std::string::npos);
  EXPECT_EQ(Run("--scope all " + sample_).code, 2);
  EXPECT_EQ(Run("--scope some --save-eml . " + sample_).code, 2);
  EXPECT_EQ(Run("--save-eml . --save-dbx x.dbx " + sample_).code, 2);
  EXPECT_EQ(Run("--save-eml").code, 2);

  auto missing = Run(dir_.Path() + "/missing.dbx");
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "Unable to open file...\n");
  EXPECT_EQ(Run(dir_.Path()).code, 1);
  int holder = ::open(sample_.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Run(sample_).code, 1);
  ::close(holder);

  EXPECT_EQ(Run("--save-eml " + dir_.Path() + "/no-such-folder " + sample_).code, 3);
  EXPECT_EQ(Run("--save-dbx " + sample_ + " " + sample_).code, 3);  // never over a file
  auto timings = Run("--timings " + sample_);
  EXPECT_EQ(timings.code, 0);
  for (const char* line : {"stage1 ", "stage2 ", "stage3 ", "total "}) {
    EXPECT_NE(timings.err.find(line), std::string::npos) << line;
  }
}

TEST_F(CliTest, InterruptKeepsWhatWasListedWhole) {
  // enough lost messages that the run is still going when the first one is printed
  constexpr uint32_t kMessages = 20000;
  testing::FolderBuilder big(0x3000 + kMessages * 0x210);
  for (uint32_t i = 0; i < kMessages; ++i) {
    big.Chain({0x3000 + i * 0x210}, testing::MailText("lost " + std::to_string(i)));
  }
  const std::string path = big.Write(dir_.Path(), "big.dbx");
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::execl(RESCUVA_CLI, RESCUVA_CLI, "--json", "--quiet", path.c_str(), nullptr);
    ::_exit(99);
  }
  ::close(out[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  bool signalled = false;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(n));
    if (!signalled && text.find('\n') != std::string::npos) {
      ::kill(child, SIGINT);
      signalled = true;
    }
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_LT(Lines(text), kMessages);
  EXPECT_EQ(text.back(), '\n');
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.back(), '}');
}

}  // namespace
}  // namespace rescuva::cli
