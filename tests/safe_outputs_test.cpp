// Saves of stores of every shape, and saves that meet a full disk or planted links:
// every output lies below its destination, no two folders share one, nothing is
// written through a link, and what was written stays whole and says what it holds.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "bench/folder_generator.h"
#include "bench/generated_mail.h"
#include "engine/folder_file_header.h"
#include "engine/windows_1252.h"
#include "platform/digests.h"
#include "saving/output_tree.h"
#include "tests/cli_run.h"
#include "tests/folder_builder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::saving {
namespace {

namespace fs = std::filesystem;

// Every output and every folder of subfolders in one place has a name of its own,
// compared as a case-blind file system compares them.
void ExpectNoSharedNames(const OutputTree& tree, SaveFormat format) {
  std::set<std::pair<int, std::string>> names;
  for (const auto& output : tree.outputs) {
    EXPECT_TRUE(names.insert({output.container, engine::AsciiLower(output.name)}).second)
        << output.name;
  }
  for (const auto& container : tree.containers) {
    const std::string name = engine::AsciiLower(container.name);
    // an EML folder holds its subfolders itself
    if (format == SaveFormat::SaveAsEml) continue;
    EXPECT_TRUE(names.insert({container.parent, name}).second) << container.name;
  }
}

TEST(OutputTree, NamesThatCollideOnceMadeSafeStayApart) {
  const std::string long_a = std::string(85, 'n') + "a", long_b = std::string(85, 'n') + "b";
  std::vector<SaveFolder> folders;
  for (const char* name :
       {"a/b", "a_b", "x", "x.", "x ", "CON", "_CON", ".", "..", "", "P", "P.sbd", "p", "Inbox",
        "INBOX", "folders", "Offline", "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0"}) {
    folders.push_back({name, -1});
  }
  folders.push_back({long_a, -1});
  folders.push_back({long_b, -1});
  folders.push_back({"child", 10});  // below "P": its subfolders' folder is "P.sbd"
  const std::set<std::string> store_files{"folders.dbx", "offline.dbx", "pop3uidl.dbx"};
  for (SaveFormat format :
       {SaveFormat::SaveAsEml, SaveFormat::SaveAsDbx, SaveFormat::SaveAsMboxTree}) {
    const OutputTree tree = PlanOutputTree(folders, format);
    ASSERT_EQ(tree.outputs.size(), folders.size());
    ExpectNoSharedNames(tree, format);
    for (const auto& output : tree.outputs) {
      EXPECT_EQ(output.name.find('/'), std::string::npos);
      EXPECT_FALSE(output.name == "." || output.name == ".." || output.name.empty());
      if (format != SaveFormat::SaveAsDbx) continue;
      // folder files lie side by side, named as a folder list can name them
      EXPECT_EQ(output.container, -1);
      EXPECT_FALSE(store_files.contains(engine::AsciiLower(output.name))) << output.name;
      EXPECT_EQ(engine::FromWindows1252(engine::ToWindows1252(output.name)), output.name);
    }
    EXPECT_TRUE(tree.notes.empty());
  }
}

// 100,000 levels and 2,000 siblings: planned in linear time, nested no deeper than the
// bound, the rest side by side with a note.
TEST(OutputTree, DeepAndWideStoresStayWithinTheBounds) {
  std::vector<SaveFolder> deep;
  for (int i = 0; i < 100000; ++i) deep.push_back({"level", i - 1});
  for (int i = 0; i < 2000; ++i) deep.push_back({"wide", 0});
  const OutputTree tree = PlanOutputTree(deep, SaveFormat::SaveAsMboxTree);
  size_t longest = 0;
  for (const auto& output : tree.outputs) {
    size_t length = output.name.size();
    const auto path = tree.PathOf(output.container);
    for (const std::string& name : path) length += name.size() + 1;
    EXPECT_LE(path.size(), static_cast<size_t>(kMaxTreeDepth));
    longest = std::max(longest, length);
  }
  EXPECT_LE(longest, kMaxTreePath + 100);
  ASSERT_EQ(tree.notes.size(), 1u);
  EXPECT_NE(tree.notes[0].find("folders lie deeper than a file system allows"), std::string::npos);
  ExpectNoSharedNames(tree, SaveFormat::SaveAsMboxTree);
}

class SafeOutputsTest : public ::testing::Test {
 protected:
  // A store: Inbox with two messages, Projects without a file, Projects/Garden with one.
  SafeOutputsTest() : store_(dir_.Path() + "/store") {
    fs::create_directory(store_);
    testing::WriteFolderList(store_ + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1},
                                                       {10, 12, "Garden", "Garden.dbx"},
                                                       {12, 1, "Projects", ""}});
    testing::WriteMailFile(store_ + "/Inbox.dbx", {testing::StoreMail("first", "1@x"),
                                                   testing::StoreMail("second", "2@x")});
    testing::WriteMailFile(store_ + "/Garden.dbx", {testing::StoreMail("greenhouse", "g@x")});
  }
  std::string Folder(const std::string& name) {
    const std::string path = dir_.Path() + "/" + name;
    fs::create_directories(path);
    return path;
  }
  testing::CliResult Run(const std::string& args) { return testing::RunCli(dir_.Path(), args); }
  // With `holding`, only files that hold something.
  static size_t FilesBelow(const std::string& folder, bool holding = false) {
    size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      n += entry.is_regular_file() && (!holding || entry.file_size() > 0);
    }
    return n;
  }

  testing::TempDir dir_;
  std::string store_;
};

// A link planted as any component of a store's output path is refused and named;
// nothing lands where it points, and the other folders are saved.
TEST_F(SafeOutputsTest, NothingIsWrittenThroughAPlantedLink) {
  const std::string elsewhere = Folder("elsewhere");
  struct Case {
    const char* option;
    const char* planted;
    size_t saved;  // the messages of the folders the link is not on
  };
  for (const Case& c :
       {Case{"--save-eml", "Inbox", 1}, Case{"--save-eml", "Projects", 2},
        Case{"--save-tree", "Outlook Express.sbd/Inbox", 1},
        Case{"--save-tree", "Outlook Express.sbd/Projects.sbd", 2},
        Case{"--save-tree", "Outlook Express.sbd", 0}, Case{"--save-dbx", "Inbox.dbx", 1},
        Case{"--save-dbx", "Garden.dbx", 2}, Case{"--save-dbx", "Folders.dbx", 3}}) {
    const std::string out =
        Folder(std::string("out") + c.option + fs::path(c.planted).stem().string());
    fs::create_directories(fs::path(out + "/" + c.planted).parent_path());
    fs::create_symlink(elsewhere, out + "/" + c.planted);
    const auto r = Run(std::string("--quiet ") + c.option + " '" + out + "' " + store_);
    EXPECT_EQ(r.code, 3) << c.option << " " << c.planted;
    EXPECT_NE(r.err.find(out + "/" + c.planted), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::to_string(c.saved) + " saved"), std::string::npos) << r.err;
    EXPECT_EQ(FilesBelow(elsewhere), 0u) << c.option << " " << c.planted;
  }
}

// Folders whose names collide once made safe each keep their own output; a folder
// without messages leaves nothing.
TEST_F(SafeOutputsTest, CollidingFolderNamesNeverShareAnOutput) {
  const std::string store = Folder("colliding");
  std::vector<testing::FolderSpec> listed;
  const std::vector<std::string> names{"a/b", "a_b", "x", "x.", "x ", "CON", "_CON", "P", "P.sbd"};
  uint32_t id = 4;
  for (const std::string& name : names) {
    const std::string file = "f" + std::to_string(id) + ".dbx";
    listed.push_back({id, 1, name, file});
    testing::WriteMailFile(store + "/" + file, {testing::StoreMail("in " + name, name + "@x")});
    ++id;
  }
  listed.push_back({id, 11, "child", "child.dbx"});  // below "P"
  testing::WriteMailFile(store + "/child.dbx", {testing::StoreMail("in child", "c@x")});
  listed.push_back({id + 1, 1, "empty", ""});
  testing::WriteFolderList(store + "/Folders.dbx", listed);
  for (const char* option : {"--save-eml", "--save-tree", "--save-dbx"}) {
    const std::string out = Folder(std::string("out") + option);
    const auto r = Run(std::string("--quiet ") + option + " " + out + " " + store);
    ASSERT_EQ(r.code, 0) << option << r.err;
    EXPECT_NE(r.err.find("10 saved, 0 failed"), std::string::npos) << r.err;
    // ten folders with mail; beside them the folder list, or the tree's top folder
    const size_t outputs = std::string(option) == "--save-eml" ? 10u : 11u;
    EXPECT_EQ(FilesBelow(out), outputs) << option;
    EXPECT_FALSE(fs::exists(out + "/empty") || fs::exists(out + "/empty.dbx") ||
                 fs::exists(out + "/Outlook Express.sbd/empty"))
        << option;
  }
}

// A folder list 100,000 levels deep and 2,000 wide, its only mail in the deepest
// folder: read, scanned and saved, the message in the deepest folder that fits.
TEST_F(SafeOutputsTest, AStoreOfAnyDepthIsSaved) {
  const std::string store = Folder("deep");
  testing::WriteDeepStore(store, 100000, 2000);
  for (const char* option : {"--save-tree", "--save-eml"}) {
    const std::string out = Folder(std::string("out") + option);
    const auto r = Run(std::string("--quiet ") + option + " " + out + " " + store);
    ASSERT_EQ(r.code, 0) << option << r.err;
    EXPECT_NE(r.err.find("folders lie deeper than a file system allows"), std::string::npos);
    EXPECT_EQ(FilesBelow(out, true), 1u) << option;
  }
}

// A file system of 1 MiB mounted for the test where it may mount one; elsewhere a
// file-size limit of 1 MiB on the command stands in for it.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& path) : path_(path) {
    fs::create_directories(path);
    mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=1m") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount(path_.c_str());
  }
  // What a command line starts with to write on it.
  std::string Prefix() const { return mounted_ ? "" : "ulimit -f 1024; "; }

 private:
  std::string path_;
  bool mounted_ = false;
};

size_t SavedCount(const std::string& err) {
  const size_t at = err.rfind(" saved, ");
  if (at == std::string::npos) return 0;
  const size_t start = err.rfind('\n', at);
  return std::stoul(err.substr(start == std::string::npos ? 0 : start + 1, at));
}

std::set<std::string> Digests(const std::string& json) {
  std::set<std::string> digests;
  for (size_t at = json.find("\"sha256\": \""); at != std::string::npos;
       at = json.find("\"sha256\": \"", at + 1)) {
    digests.insert(json.substr(at + 11, 64));
  }
  return digests;
}

// A save that fills the disk keeps what it wrote whole and counts it honestly: the
// folder file lists exactly what its header says, the mbox file ends after its last
// whole message, every EML file left is a whole message.
TEST_F(SafeOutputsTest, AFullDiskLeavesWholeOutputsAndHonestCounts) {
  const std::string source = dir_.Path() + "/big.dbx";
  ASSERT_TRUE(bench::WriteGeneratedFolder(
      source, 600, [](size_t i) { return bench::GeneratedMail(i, false); }, {}));
  ASSERT_GT(fs::file_size(source), 2u << 20);
  const std::string small = dir_.Path() + "/small";
  const SmallDisk disk(small);
  const std::string cli = disk.Prefix() + RESCUVA_CLI + " --quiet ";
  const auto listed = testing::RunCli(dir_.Path(), cli + "--json " + source, true);
  const std::set<std::string> digests = Digests(listed.out);
  ASSERT_EQ(digests.size(), 600u);

  const auto dbx =
      testing::RunCli(dir_.Path(), cli + "--save-dbx " + small + "/out.dbx " + source, true);
  EXPECT_EQ(dbx.code, 3) << dbx.err;
  const std::vector<uint8_t> bytes = testing::ReadFileBytes(small + "/out.dbx");
  ASSERT_GE(bytes.size(), engine::kFolderFileHeaderSize);
  const auto header =
      engine::FolderFileHeader::Decode(std::span<const uint8_t, engine::kFolderFileHeaderSize>(
          bytes.data(), engine::kFolderFileHeaderSize));
  EXPECT_GT(header.message_count, 0u);
  EXPECT_EQ(SavedCount(dbx.err), header.message_count) << dbx.err;
  const auto read_back = testing::RunCli(
      dir_.Path(), std::string(RESCUVA_CLI) + " --json " + small + "/out.dbx", true);
  // the index walk finds what the header counts, and nothing else lies in the file
  EXPECT_EQ(Digests(read_back.out).size(), header.message_count);
  size_t existing = 0;
  for (size_t at = read_back.out.find("\"status\": \"Existing\""); at != std::string::npos;
       at = read_back.out.find("\"status\": \"Existing\"", at + 1)) {
    ++existing;
  }
  EXPECT_EQ(existing, header.message_count);
  for (const std::string& digest : Digests(read_back.out)) EXPECT_TRUE(digests.contains(digest));
  fs::remove(small + "/out.dbx");

  const auto mbox =
      testing::RunCli(dir_.Path(), cli + "--save-mbox " + small + "/out.mbox " + source, true);
  EXPECT_EQ(mbox.code, 3) << mbox.err;
  const std::string script = dir_.Path() + "/count.py";
  std::ofstream(script) << "import mailbox, sys\n"
                           "box = mailbox.mbox(sys.argv[1], create=False)\n"
                           "print(len(box), sum(1 for m in box if m['Subject']))\n";
  const auto counted =
      testing::RunCli(dir_.Path(), "python3 " + script + " " + small + "/out.mbox", true);
  const std::string saved = std::to_string(SavedCount(mbox.err));
  EXPECT_EQ(counted.out, saved + " " + saved + "\n") << mbox.err;
  EXPECT_TRUE(testing::ReadFileText(small + "/out.mbox").ends_with("\n\n"));
  fs::remove(small + "/out.mbox");

  fs::create_directory(small + "/eml");
  const auto eml =
      testing::RunCli(dir_.Path(), cli + "--save-eml " + small + "/eml " + source, true);
  EXPECT_EQ(eml.code, 3) << eml.err;
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(small + "/eml")) {
    ++files;
    platform::Hasher hash(platform::HashKind::kSha256);
    hash.Update(testing::ReadFileBytes(entry.path().string()));
    EXPECT_TRUE(digests.contains(hash.HexDigest())) << entry.path();
  }
  EXPECT_EQ(files, SavedCount(eml.err));
  EXPECT_GT(files, 0u);
}

// A sender whose quoted local part is folded over two lines is no token of the mbox
// From line: the line stays one line with its date.
TEST_F(SafeOutputsTest, AFoldedSenderNeverSplitsTheFromLine) {
  testing::FolderBuilder folder;
  folder.Chain({0x3000},
               "From: \"ada\r\n lindqvist\"@example.org\r\nSubject: folded\r\n"
               "Date: Tue, 10 Feb 2004 19:26:59 +0000\r\n\r\nHello.\r\n");
  const std::string file = folder.Write(dir_.Path());
  const auto r = Run("--quiet --save-mbox " + dir_.Path() + "/out.mbox " + file);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string text = testing::ReadFileText(dir_.Path() + "/out.mbox");
  EXPECT_TRUE(text.starts_with("From MAILER-DAEMON Tue Feb 10 19:26:59 2004\n")) << text;
}

}  // namespace
}  // namespace rescuva::saving
