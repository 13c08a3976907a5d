// rescuva-cli as a user runs it: its output forms, saving, and exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"
#include "platform/digests.h"
#include "tests/cli_run.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::cli {
namespace {

// Starts rescuva-cli with its output going to `out_fd`.
pid_t StartWithOutput(const std::vector<std::string>& args, int out_fd, int other_end = -1) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out_fd, STDOUT_FILENO);
    if (other_end >= 0) ::close(other_end);
    std::vector<char*> argv{const_cast<char*>(RESCUVA_CLI)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(RESCUVA_CLI, argv.data());
    ::_exit(99);
  }
  return child;
}

// Its output into the file `out`.
pid_t Start(const std::vector<std::string>& args, const std::string& out) {
  const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t child = StartWithOutput(args, fd);
  ::close(fd);
  return child;
}

// Its output through a pipe whose reading end is `read_end`.
pid_t StartPiped(const std::vector<std::string>& args, int& read_end) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  const pid_t child = StartWithOutput(args, ends[1], ends[0]);
  ::close(ends[1]);
  read_end = ends[0];
  return child;
}

int Finish(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using testing::CliResult;

class CliTest : public ::testing::Test {
 protected:
  CliTest() : sample_(testing::CopyOfSample(dir_.Path())) {}

  CliResult Run(const std::string& args, bool command = false) {
    return testing::RunCli(dir_.Path(), args, command);
  }
  static size_t Lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
  }
  // 20,000 lost messages: long enough a run to interrupt.
  std::string BigFolder() {
    testing::FolderBuilder big(0x3000 + kBigMessages * 0x210);
    for (uint32_t i = 0; i < kBigMessages; ++i) {
      big.Chain({0x3000 + i * 0x210}, testing::MailText("lost " + std::to_string(i)));
    }
    return big.Write(dir_.Path(), "big.dbx");
  }
  static constexpr uint32_t kBigMessages = 20000;

  testing::TempDir dir_;
  std::string sample_;
};

TEST_F(CliTest, TableAndSummary) {
  auto r = Run(sample_);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Lines(r.out), 9u);
  EXPECT_NE(r.out.find("Existing       9404  2004-02-10 19:26  Ada Lindqvist <ada@example.org>   "
                       "Minutes of the garden club\n"),
            std::string::npos);
  // the long letter's chain breaks off: its row says so, the whole ones say nothing
  EXPECT_NE(r.out.find("Long letter (its chain breaks off)  [Cut: its next block would lie past "
                       "the end of the source (the last block read lies at 12572)]\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find("[Cut"), r.out.rfind("[Cut"));
  EXPECT_NE(r.out.find("\n7 messages (5 existing, 2 deleted)\n1 of them are cut"),
            std::string::npos);
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
  const platform::DigestSet digests = platform::DigestsOf(bytes);
  EXPECT_NE(first.find("\"size\": " + std::to_string(bytes.size()) + ", \"sha256\": \"" +
                       digests.sha256 + "\", \"md5\": \"" + digests.md5 + "\", \"sha1\": \"" +
                       digests.sha1 + "\", \"folder\": \"\""),
            std::string::npos);
  // and where its bytes lie: three blocks' data, the last one in part
  EXPECT_NE(first.find("\"positions\": [{\"at\": 9420, \"offset\": 0, \"length\": 512}, "
                       "{\"at\": 16812, \"offset\": 512, \"length\": 512}, {\"at\": 14172, "
                       "\"offset\": 1024, \"length\": 267}]}"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"attachments\": [\"invoice-2004-02.pdf\", \"Saatgut für März.csv\"]"),
            std::string::npos);
  // only the cut message's object gains the fields, at its end
  EXPECT_NE(r.out.find("\"complete\": false, \"cut\": {\"reason\": \"its next block would lie "
                       "past the end of the source\", \"last_block\": 12572}}\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find("\"complete\""), r.out.rfind("\"complete\""));
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
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 9);
}

// The sample with its header zeroed: the long letter's first two blocks come back by
// their broken pointer, its other blocks as a fragment.
TEST_F(CliTest, FragmentsAndRepairAreAskedFor) {
  auto bytes = testing::ReadFileBytes(sample_);
  std::fill(bytes.begin(), bytes.begin() + 0x24BC, 0);
  testing::FolderBuilder damaged;
  damaged.Data() = bytes;
  const std::string file = damaged.Write(dir_.Path(), "no-index.dbx");
  auto r = Run("--json --quiet " + file);
  EXPECT_EQ(Lines(r.out), 7u);
  EXPECT_EQ(r.out.find("Fragment"), std::string::npos);
  r = Run("--fragments " + file);
  EXPECT_NE(r.out.find("\nFragment       9932  "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n8 messages (5 existing, 2 deleted, 1 fragments)\n"), std::string::npos);
  // fragments go with every message, never with one kind
  for (const auto& [scope, saved] : {std::pair{"all", 8}, {"deleted", 2}, {"existing", 5}}) {
    const std::string eml = dir_.Path() + "/eml-" + scope;
    std::filesystem::create_directory(eml);
    r = Run("--quiet --fragments --save-eml " + eml + " --scope " + scope + " " + file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(eml), {}), saved) << scope;
  }
  // the repair gives deleted messages their true length in the saved files too
  const std::string mbox = dir_.Path() + "/repaired.mbox";
  r = Run("--quiet --repair --save-mbox " + mbox + " --scope deleted " + file);
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string saved = testing::ReadFileText(mbox);
  EXPECT_NE(saved.find("\nReceived: from mail.example.net"), std::string::npos);
  EXPECT_EQ(saved.find("____"), std::string::npos);
  EXPECT_NE(saved.find("????"), std::string::npos);
}

TEST_F(CliTest, ExitStatuses) {
  auto help = Run("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.starts_with("usage: rescuva-cli")) << help.out;
  auto version = Run("--version");
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(version.out.starts_with("rescuva-cli 1.")) << version.out;
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
  std::filesystem::create_directory(dir_.Path() + "/empty");
  auto no_store = Run(dir_.Path() + "/empty");
  EXPECT_EQ(no_store.code, 1);
  EXPECT_EQ(no_store.err, "No Outlook Express mail file in this folder\n");
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
  constexpr uint32_t kMessages = kBigMessages;
  const std::string path = BigFolder();
  int out = -1;
  const pid_t child = StartPiped({"--json", "--quiet", path}, out);
  std::string text;
  char buffer[4096];
  ssize_t n;
  bool signalled = false;
  while ((n = ::read(out, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(n));
    if (!signalled && text.find('\n') != std::string::npos) {
      ::kill(child, SIGINT);
      signalled = true;
    }
  }
  ::close(out);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_LT(Lines(text), kMessages);
  EXPECT_EQ(text.back(), '\n');
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.back(), '}');
}

// The listing and the saved files of one run, as text to compare.
std::string Saved(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files[entry.path().filename().string()] = testing::ReadFileText(entry.path().string());
  }
  std::string all;
  for (const auto& [name, text] : files) all += name + "\n" + text + "\n";
  return all;
}

// Two runs at once by the same user, on different files, each listing and saving: each
// gives exactly what it gives alone.
TEST_F(CliTest, TwoRunsAtOnceNeverMix) {
  const std::string other = dir_.Path() + "/other.dbx";
  testing::FolderBuilder folder(0x3000 + 300 * 0x210);
  for (uint32_t i = 0; i < 300; ++i) {
    folder.Chain({0x3000 + i * 0x210}, testing::MailText("other " + std::to_string(i)));
  }
  folder.Write(dir_.Path(), "other.dbx");
  auto run = [&](const std::string& file, const std::string& tag) {
    const std::string saved = dir_.Path() + "/saved-" + tag;
    std::filesystem::remove_all(saved);
    std::filesystem::create_directory(saved);
    return Start({"--json", "--quiet", "--save-eml", saved, file}, dir_.Path() + "/out-" + tag);
  };
  auto result = [&](const std::string& tag) {
    return testing::ReadFileText(dir_.Path() + "/out-" + tag) +
           Saved(dir_.Path() + "/saved-" + tag);
  };
  ASSERT_EQ(Finish(run(sample_, "a")), 0);
  ASSERT_EQ(Finish(run(other, "b")), 0);
  const std::string alone_a = result("a"), alone_b = result("b");
  ASSERT_NE(alone_b.find("other 299"), std::string::npos);
  for (int i = 0; i < 20; ++i) {
    const pid_t a = run(sample_, "a"), b = run(other, "b");
    ASSERT_EQ(Finish(a), 0);
    ASSERT_EQ(Finish(b), 0);
    ASSERT_EQ(result("a"), alone_a) << "round " << i;
    ASSERT_EQ(result("b"), alone_b) << "round " << i;
  }
}

// A scratch folder that takes nothing, or fills up: every message that could not be
// listed is named, the run says why and ends with status 3.
// Only a message too large to hold in memory needs a scratch copy: without a scratch
// folder the others list, and it is named.
TEST_F(CliTest, AScratchFolderThatFailsIsReported) {
  const std::string blocked = dir_.Path() + "/blocked";
  std::ofstream(blocked) << "not a folder";
  const std::string oversized = testing::WriteFolderWithOversizedMessage(dir_.Path());
  auto r = Run("TMPDIR=" + blocked + " " + std::string(RESCUVA_CLI) + " --quiet " + sample_, true);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("7 messages (5 existing, 2 deleted)"), std::string::npos);
  r = Run("TMPDIR=" + blocked + " " + std::string(RESCUVA_CLI) + " --quiet " + oversized, true);
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(
      r.err.find("1 messages could not be listed: no scratch folder: cannot make a folder in " +
                 blocked),
      std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("not listed: offset " + std::to_string(testing::kOversizedFirst) + ": "),
            std::string::npos);

  // files larger than 1,000 bytes cannot be written: the larger messages are named
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int fd = ::open((dir_.Path() + "/full.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::execl(RESCUVA_CLI, RESCUVA_CLI, "--quiet", oversized.c_str(), nullptr);
    ::_exit(99);
  }
  EXPECT_EQ(Finish(child), 3);
  const std::string err = testing::ReadFileText(dir_.Path() + "/full.txt");
  EXPECT_NE(err.find("File too large"), std::string::npos) << err;
  EXPECT_NE(err.find("messages could not be listed"), std::string::npos) << err;
}

// A FIFO is refused at once, not waited on.
TEST_F(CliTest, AFifoIsRefusedAtOnce) {
  const std::string fifo = dir_.Path() + "/pipe.dbx";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto started = std::chrono::steady_clock::now();
  auto r = Run(fifo);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Unable to open file...\n");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

// Control characters of a recovered subject reach the terminal escaped.
TEST_F(CliTest, ControlCharactersAreShownEscaped) {
  testing::FolderBuilder folder(0x4000);
  folder.Chain({0x3000}, "From: a@example.org\r\nSubject: \x1b]0;owned\x07\x1b[2J\r\n\r\nx\r\n");
  auto r = Run(folder.Write(dir_.Path(), "controls.dbx"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  EXPECT_NE(r.out.find("\\x1b]0;owned\\x07\\x1b[2J"), std::string::npos) << r.out;
}

// A save killed at any moment leaves a folder file that lists what was saved up to
// its last checkpoint.
TEST_F(CliTest, AKilledSaveLeavesAReadableFolderFile) {
  const std::string path = BigFolder();
  const std::string saved = dir_.Path() + "/saved.dbx";
  int out = -1;
  const pid_t child = StartPiped({"--quiet", "--save-dbx", saved, path}, out);
  size_t lines = 0;
  char buffer[4096];
  ssize_t n;
  while (lines < 5000 && (n = ::read(out, buffer, sizeof buffer)) > 0) {
    lines += static_cast<size_t>(std::count(buffer, buffer + n, '\n'));
  }
  ::kill(child, SIGKILL);
  ::close(out);
  Finish(child);
  auto r = Run("--json --quiet " + saved);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_GE(Lines(r.out), 1000u);
  EXPECT_EQ(r.out.find("\"Deleted\""), std::string::npos);
  std::istringstream listed(r.out);
  for (std::string line; std::getline(listed, line);) {
    ASSERT_NE(line.find("\"subject\": \"lost "), std::string::npos) << line;
  }
}

// Every stage of a store's scan is timed, added up over its files (a store of two
// generated folders, large enough that each stage takes measurable time).
TEST_F(CliTest, TimingsOfAStoreAddUpEachStage) {
  const std::string store = dir_.Path() + "/timed";
  std::filesystem::create_directory(store);
  for (const char* name : {"/Inbox.dbx", "/Archive.dbx"}) {
    ASSERT_TRUE(bench::WriteGeneratedFolder(
        store + name, 3000, [](size_t i) { return bench::GeneratedMail(i, i % 3 == 0); }, {}));
  }
  auto r = Run("--quiet --timings " + store);
  ASSERT_EQ(r.code, 0) << r.err;
  double stage[3] = {}, total = 0;
  ASSERT_EQ(std::sscanf(r.err.c_str() + r.err.find("stage1 "),
                        "stage1 %lf\nstage2 %lf\nstage3 %lf\ntotal %lf", &stage[0], &stage[1],
                        &stage[2], &total),
            4)
      << r.err;
  for (double seconds : stage) EXPECT_GT(seconds, 0.0) << r.err;
  EXPECT_GE(total, stage[0] + stage[1] + stage[2]);
}

// --since and --until pick by the Date header (else the received time), whole days;
// --match finds a text in From, To, Subject or the message, any case; only those are
// listed and saved.
TEST_F(CliTest, SinceUntilAndMatchChooseWhatIsListedAndSaved) {
  auto r = Run("--quiet --json --since 2004-02-12 --until 2004-02-16 " + sample_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), 3u);  // the 12th, the 13th and the 16th, up to its last second
  r = Run("--quiet --json --since 2004-02-18T21:00:00Z " + sample_);
  EXPECT_EQ(Lines(r.out), 1u);
  testing::FolderBuilder built(0x8000);
  built.Chain({0x3000}, testing::MailText("plain", "The GREENHOUSE needs glass.\r\n"));
  built.Chain({0x3210}, testing::MailText("other", "Nothing here.\r\n"));
  // found in the text as the message means it, not only as it is stored
  built.Chain({0x3420},
              "From: a@x\r\nTo: b@x\r\nSubject: encoded\r\nMIME-Version: 1.0\r\n"
              "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
              "T3VyIEdyZWVuaG91c2UgaXMgcmVhZHkuDQo=\r\n");
  const std::string folder = built.Write(dir_.Path(), "bodies.dbx");
  r = Run("--quiet --json --match greenhouse " + folder);
  EXPECT_EQ(Lines(r.out), 2u);
  EXPECT_NE(r.out.find("\"subject\": \"plain\""), std::string::npos);
  EXPECT_NE(r.out.find("\"subject\": \"encoded\""), std::string::npos);
  r = Run("--match greenhouse " + folder);
  EXPECT_NE(r.out.find("2 of them are dated and match as asked; only those are listed"),
            std::string::npos)
      << r.out;
  std::filesystem::create_directory(dir_.Path() + "/eml");
  r = Run("--quiet --match ALICE --since 2004-02-10 --save-eml " + dir_.Path() + "/eml " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path() + "/eml"), {}), 2);
  EXPECT_EQ(Run("--since 10.2.2004 " + sample_).code, 2);
}

// --save-attachments: every attachment the listed messages carry, with the bytes and
// names Python's email package extracts from the same messages saved as EML.
TEST_F(CliTest, AttachmentsAreThoseOfTheMessages) {
  const std::string eml = dir_.Path() + "/eml", attachments = dir_.Path() + "/attachments";
  std::filesystem::create_directory(eml);
  std::filesystem::create_directory(attachments);
  ASSERT_EQ(Run("--quiet --save-eml " + eml + " " + sample_).code, 0);
  auto r = Run("--quiet --save-attachments " + attachments + " " + sample_);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string script = dir_.Path() + "/compare.py";
  // named leaves and those marked attachment, as the program takes them; Python hands
  // text parts over with their line breaks as LF, so line breaks are compared so
  std::ofstream(script) << R"(import email, email.policy, hashlib, os, sys
def digest(data):
    return hashlib.sha256(data.replace(b'\r\n', b'\n')).hexdigest()
expected = []
for name in sorted(os.listdir(sys.argv[1])):
    with open(os.path.join(sys.argv[1], name), 'rb') as f:
        message = email.message_from_binary_file(f, policy=email.policy.default)
    for part in message.walk():
        if part.is_multipart():
            continue
        if part.get_filename() or part.get_content_disposition() == 'attachment':
            expected.append((part.get_filename() or 'attachment', digest(part.get_payload(decode=True) or b'')))
saved = []
for name in os.listdir(sys.argv[2]):
    with open(os.path.join(sys.argv[2], name), 'rb') as f:
        saved.append((name, digest(f.read())))
print('same' if sorted(expected) == sorted(saved) else 'expected %s, saved %s' % (sorted(expected), sorted(saved)))
)";
  r = Run("python3 '" + script + "' '" + eml + "' '" + attachments + "'", true);
  EXPECT_EQ(r.out, "same\n") << r.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(attachments), {}), 3);
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(attachments)) {
    names.insert(entry.path().filename().string());
  }
  // saved again, the names never take another file's place
  ASSERT_EQ(Run("--quiet --save-attachments " + attachments + " " + sample_).code, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(attachments), {}), 6);

  // beside each EML file, in a folder named as the file: the same attachments
  const std::string beside = dir_.Path() + "/beside";
  std::filesystem::create_directory(beside);
  r = Run("--quiet --attachments-beside --save-eml " + beside + " " + sample_);
  ASSERT_EQ(r.code, 0) << r.err;
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(beside)) {
    if (!entry.is_directory()) continue;
    EXPECT_TRUE(std::filesystem::exists(entry.path().string() + ".eml")) << entry.path();
    for (const auto& file : std::filesystem::directory_iterator(entry.path())) {
      found.insert(file.path().filename().string());
    }
  }
  EXPECT_EQ(found, names);
  // named after the template, each message's attachments keep their own names too
  const std::string named = dir_.Path() + "/named";
  std::filesystem::create_directory(named);
  ASSERT_EQ(
      Run("--quiet --name '{date:%Y}_{offset}' --save-attachments " + named + " " + sample_).code,
      0);
  for (const auto& entry : std::filesystem::directory_iterator(named)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.starts_with("2004_")) << name;
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& own) {
      return name.ends_with("_" + own);
    })) << name;
  }
  EXPECT_EQ(Run("--attachments-beside --save-mbox x.mbox " + sample_).code, 2);
}

// --csv with the columns asked for, read back by Python's csv module: a subject a
// spreadsheet would run as a formula stays text, quotes and line breaks survive.
TEST_F(CliTest, TheCsvHoldsTheColumnsAskedForAndNoFormula) {
  testing::FolderBuilder built(0x8000);
  built.Chain({0x3000}, testing::MailText("=HYPERLINK(\"http://x\",\"a, b\")"));
  built.Chain({0x3210}, testing::MailText("plain"));
  const std::string folder = built.Write(dir_.Path(), "csv.dbx");
  const std::string csv = dir_.Path() + "/list.csv";
  auto r = Run("--quiet --csv " + csv + " --columns subject,status,offset,sha256 " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string script = dir_.Path() + "/read.py";
  std::ofstream(script) << R"(import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')))
print(rows[0])
for row in rows[1:]:
    print(row[0], row[1], row[2], len(row[3]))
)";
  r = Run("python3 '" + script + "' '" + csv + "'", true);
  EXPECT_EQ(r.out,
            "['subject', 'status', 'offset', 'sha256']\n"
            "'=HYPERLINK(\"http://x\",\"a, b\") Existing 12288 64\n"
            "plain Existing 12816 64\n")
      << r.err;
  EXPECT_EQ(Run("--csv " + csv + " " + folder).code, 3);  // never over a file
  EXPECT_EQ(Run("--columns subject " + folder).code, 2);
  EXPECT_EQ(Run("--csv x.csv --columns subject,colour " + folder).code, 2);
}

// --name: EML files named from a template; hostile subjects stay inside the folder,
// names are safe and at most 200 bytes, and the same name twice gets a number.
TEST_F(CliTest, NameTemplatesMakeSafeNamesInsideTheFolder) {
  testing::FolderBuilder built(0x9000);
  built.Chain({0x3000}, testing::MailText("../../outside"));
  built.Chain({0x3210}, testing::MailText("CON"));
  built.Chain({0x3420}, testing::MailText(std::string(300, 'x') + ":\\/|?"));
  built.Chain({0x3630}, testing::MailText("../../outside"));
  const std::string folder = built.Write(dir_.Path(), "names.dbx");
  const std::string out = dir_.Path() + "/named";
  std::filesystem::create_directory(out);
  auto r = Run("--quiet --save-eml " + out + " --name '{subject}' " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    names.insert(entry.path().filename().string());
    EXPECT_LE(entry.path().stem().string().size(), 200u);
  }
  EXPECT_EQ(names.size(), 4u);
  EXPECT_TRUE(names.contains(".._.._outside.eml") || names.contains("_.._.._outside.eml"))
      << ::testing::PrintToString(names);
  EXPECT_TRUE(names.contains("_CON.eml")) << ::testing::PrintToString(names);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() + "/outside.eml"));
  r = Run("--quiet --save-eml " + out + " --name '{date:%Y}-{offset}-{status}' " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(out + "/2004-12288-Existing.eml"));
  EXPECT_EQ(Run("--save-eml " + out + " --name '{colour}' " + folder).code, 2);
  EXPECT_EQ(Run("--save-eml " + out + " --name '{subject' " + folder).code, 2);
  EXPECT_EQ(Run("--save-mbox x.mbox --name '{subject}' " + folder).code, 2);
}

// A store of three folders: Inbox holds a message answered and read, a deleted copy of
// a message that now lies in Projects/Garden and a deleted message of its own.
class CliStoreTest : public CliTest {
 protected:
  CliStoreTest() : store_(dir_.Path() + "/store") {
    std::filesystem::create_directory(store_);
    testing::WriteFolderList(store_ + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1},
                                                       {10, 12, "Garden", "Garden.dbx"},
                                                       {12, 1, "Projects", ""}});
    constexpr int64_t kReceived = 1076500000;  // later than the Date header
    testing::WriteMailFile(
        store_ + "/Inbox.dbx",
        {testing::StoreMail("answered", "a@x", false, 0x81 | 1u << 19, kReceived),
         testing::StoreMail("moved", "moved@x", true), testing::StoreMail("gone", "gone@x", true)});
    testing::WriteMailFile(store_ + "/Garden.dbx",
                           {testing::StoreMail("moved", "moved@x", false, 0x01 | 1u << 5),
                            testing::StoreMail("From the greenhouse", "")});
  }
  std::string Folder(const std::string& name) {
    const std::string path = dir_.Path() + "/" + name;
    std::filesystem::create_directory(path);
    return path;
  }
  std::string store_;
};

TEST_F(CliStoreTest, ListsEveryFolderWithFlagsReceivedTimesAndCopies) {
  auto r = Run("--json " + store_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), 5u);
  EXPECT_NE(r.out.find("\"subject\": \"answered\", \"date\": \"2004-02-10T19:26:59Z\""),
            std::string::npos);
  EXPECT_NE(r.out.find("\"folder\": \"Inbox\", \"file\": \"Inbox.dbx\", \"flags\": [\"read\", "
                       "\"answered\"], \"received\": \"2004-02-11T11:46:40Z\", \"positions\": [{"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"folder\": \"Projects/Garden\", \"file\": \"Garden.dbx\", \"flags\": "
                       "[\"flagged\"]"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"copy_of\": {\"folder\": \"Projects/Garden\", \"offset\": "),
            std::string::npos);
  EXPECT_EQ(r.err,
            "3 folders (2 with a mail file), 5 messages (3 existing, 2 deleted)\n"
            "1 of the deleted messages are copies of messages that exist in the store\n");

  // a copy is saved with the deleted messages only when asked for
  EXPECT_EQ(Run("--quiet --scope deleted --save-eml " + Folder("deleted") + " " + store_).code, 0);
  EXPECT_EQ(
      Run("--quiet --scope deleted --keep-copies --save-eml " + Folder("copies") + " " + store_)
          .code,
      0);
  auto count = [](const std::string& folder) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      n += entry.is_regular_file();
    }
    return n;
  };
  EXPECT_EQ(count(dir_.Path() + "/deleted"), 1u);
  EXPECT_EQ(count(dir_.Path() + "/copies"), 2u);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Every file below `folder`, by its path there, with its size.
std::map<std::string, uintmax_t> FilesIn(const std::string& folder) {
  std::map<std::string, uintmax_t> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).string()] = entry.file_size();
    }
  }
  return files;
}

TEST_F(CliStoreTest, WritesAThunderbirdTreeThatMailboxReadersOpen) {
  const std::string tree = Folder("tree");
  auto saved = Run("--quiet --save-tree " + tree + " " + store_);
  ASSERT_EQ(saved.code, 0) << saved.err;
  const std::string script = dir_.Path() + "/read.py";
  std::ofstream(script) << R"(import mailbox, sys
for name in sys.argv[2:]:
    box = mailbox.mbox(sys.argv[1] + "/" + name, create=False)
    print(name, len(box))
    for m in box:
        print(" ", m["Subject"], "|", m.get_from(), "|", m["X-Mozilla-Status"], m["Status"],
              m["X-Mozilla-Keys"], "|", m.get_payload().strip())
)";
  auto r = Run("python3 " + script + " " + tree +
                   " 'Outlook Express.sbd/Inbox' 'Outlook Express.sbd/Projects.sbd/Garden'",
               true);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "Outlook Express.sbd/Inbox 3\n"
            "  answered | ada@example.org Tue Feb 10 19:26:59 2004 | 0003 RO None | The text of "
            "answered.\n"
            // deleted mail comes mended (its From line and padding restored) and tagged
            "  moved | ada@example.org Tue Feb 10 19:26:59 2004 | 0000 O recovered | The text of "
            "moved.\n"
            "  gone | ada@example.org Tue Feb 10 19:26:59 2004 | 0000 O recovered | The text of "
            "gone.\n"
            "Outlook Express.sbd/Projects.sbd/Garden 2\n"
            "  moved | ada@example.org Tue Feb 10 19:26:59 2004 | 0004 O None | The text of "
            "moved.\n"
            "  From the greenhouse | ada@example.org Tue Feb 10 19:26:59 2004 | 0001 RO None | The "
            "text of From the greenhouse.\n");
  // one top-level folder; a folder without mail has a file only when it has subfolders
  const auto files = FilesIn(tree);
  EXPECT_EQ(files, (std::map<std::string, uintmax_t>{
                       {"Outlook Express", 0},
                       {"Outlook Express.sbd/Inbox", files.at("Outlook Express.sbd/Inbox")},
                       {"Outlook Express.sbd/Projects", 0},
                       {"Outlook Express.sbd/Projects.sbd/Garden",
                        files.at("Outlook Express.sbd/Projects.sbd/Garden")}}));

  // copied into a profile's local folders that already hold mail, it replaces nothing
  const std::string local = Folder("Local Folders");
  std::map<std::string, std::string> own{{"Inbox", "From a@b Mon Jan  1 00:00:00 2024\n\nmine\n"},
                                         {"Drafts", "From a@b Mon Jan  1 00:00:00 2024\n\nd\n"},
                                         {"Trash", ""},
                                         {"Unsent Messages", ""}};
  for (const auto& [name, text] : own) std::ofstream(local + "/" + name) << text;
  ASSERT_EQ(Run("cp -r " + tree + "/. '" + local + "'", true).code, 0);
  for (const auto& [name, text] : own) {
    std::ifstream in(local + "/" + name);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text) << name;
  }
  EXPECT_EQ(FilesIn(local).size(), own.size() + files.size());

  // kept as extracted when asked, under a name of the user's
  const std::string raw = Folder("raw");
  ASSERT_EQ(
      Run("--quiet --as-extracted --tree-name 'Old mail' --save-tree " + raw + " " + store_).code,
      0);
  r = Run("python3 " + script + " " + raw + " 'Old mail.sbd/Inbox'", true);
  EXPECT_NE(r.out.find("  gone | MAILER-DAEMON"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(raw + "/Old mail"));

  // a single file is a tree of one folder
  const std::string one = Folder("one");
  ASSERT_EQ(Run("--quiet --save-tree " + one + " " + store_ + "/Garden.dbx").code, 0);
  r = Run("python3 " + script + " " + one + " 'Outlook Express.sbd/Garden'", true);
  EXPECT_NE(r.out.find("Outlook Express.sbd/Garden 2\n"), std::string::npos) << r.out;
  EXPECT_EQ(FilesIn(one).size(), 2u);

  EXPECT_EQ(Run("--as-extracted --save-eml " + one + " " + store_).code, 2);
  EXPECT_EQ(Run("--tree-name x " + store_).code, 2);
  EXPECT_EQ(Run("--repair --as-extracted --save-tree " + one + " " + store_).code, 2);
}

TEST_F(CliStoreTest, SavesNestedEmlFilesDatedAsTheirMessagesAndFolderFilesThatNameTheirFolder) {
  const std::string eml = Folder("eml");
  ASSERT_EQ(Run("--quiet --save-eml " + eml + " " + store_).code, 0);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(eml)) {
    if (!entry.is_regular_file()) continue;
    files.push_back(std::filesystem::relative(entry.path(), eml).parent_path().string());
    struct stat info {};
    ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1076441219) << entry.path();  // the Date header's
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"Inbox", "Inbox", "Inbox", "Projects/Garden",
                                             "Projects/Garden"}));

  const std::string dbx = Folder("dbx");
  ASSERT_EQ(Run("--quiet --save-dbx " + dbx + " " + store_).code, 0);
  const auto garden = testing::ReadFileBytes(dbx + "/Garden.dbx");
  ASSERT_GT(garden.size(), 0x24BCu + 0x618);
  EXPECT_EQ(std::string(garden.begin() + 0x24C1, garden.begin() + 0x24CB), "LocalStore");
  EXPECT_EQ(std::string(garden.begin() + 0x24BC + 0x105, garden.begin() + 0x24BC + 0x10B),
            std::string("Garden", 6));
  EXPECT_EQ(garden[0x24BC + 0x105 + 6], 0);
  // the folder files lie side by side, and the folder list keeps their nesting: read
  // back, the saved store is the store
  EXPECT_EQ(FilesIn(dbx).size(), 3u);
  const auto folder_list = testing::ReadFileBytes(dbx + "/Folders.dbx");
  ASSERT_GT(folder_list.size(), 0x24BCu);
  EXPECT_EQ(folder_list[4], 0xC6);
  auto again = Run("--json " + dbx);
  ASSERT_EQ(again.code, 0) << again.err;
  // (every saved message is indexed in its new file)
  EXPECT_EQ(again.err, "3 folders (2 with a mail file), 5 messages (5 existing, 0 deleted)\n");
  EXPECT_EQ(Count(again.out, "\"folder\": \"Inbox\", \"file\": \"Inbox.dbx\""), 3u);
  EXPECT_EQ(Count(again.out, "\"folder\": \"Projects/Garden\", \"file\": \"Garden.dbx\""), 2u);
  // the records keep the source's flags and received times
  auto r = Run("--json " + dbx + "/Inbox.dbx");
  EXPECT_NE(
      r.out.find("\"flags\": [\"read\", \"answered\"], \"received\": \"2004-02-11T11:46:40Z\""),
      std::string::npos)
      << r.out;
  // a single file's folder file takes the folder name its own block gives, else its name
  const std::string single = dir_.Path() + "/single.dbx";
  ASSERT_EQ(Run("--quiet --save-dbx " + single + " " + store_ + "/Inbox.dbx").code, 0);
  const auto bytes = testing::ReadFileBytes(single);
  EXPECT_EQ(std::string(bytes.begin() + 0x24BC + 0x105, bytes.begin() + 0x24BC + 0x10B),
            std::string("Inbox\0", 6));
}

}  // namespace
}  // namespace rescuva::cli
