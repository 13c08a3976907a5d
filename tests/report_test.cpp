// The examiner's report as an examiner checks it: it validates against the DFXML
// schema, the source's digests are those md5sum, sha1sum and sha256sum give, each
// message's byte runs read back from the source (and its mends repeated) give its
// bytes and digests, mactime reads the timeline, and recovered text stays text in the
// spreadsheet and the page.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "bench/folder_generator.h"
#include "engine/chain_trace.h"
#include "platform/digests.h"
#include "report/report_text.h"
#include "report/spreadsheet_cell.h"
#include "tests/cli_run.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"
#include "tests/tool_output.h"

namespace rescuva::report {
namespace {

using testing::ReadFileBytes;
using testing::ReadFileText;
using Bytes = std::vector<uint8_t>;

std::string Unescape(std::string text) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, std::strlen(entity), character);
    }
  }
  return text;
}

// The text of the first <name>...</name> in `xml`, unescaped; empty when none.
std::string Element(const std::string& xml, const std::string& name) {
  const size_t open = xml.find("<" + name + ">");
  if (open == std::string::npos) return {};
  const size_t from = open + name.size() + 2;
  return Unescape(xml.substr(from, xml.find("</" + name + ">", from) - from));
}

uint64_t Attribute(const std::string& tag, const std::string& name) {
  const size_t at = tag.find(" " + name + "=\"");
  return at == std::string::npos ? 0 : std::stoull(tag.substr(at + name.size() + 3));
}

// Every <name ...> tag (or block up to </name>) in `xml`, in order.
std::vector<std::string> Blocks(const std::string& xml, const std::string& name, bool closed) {
  std::vector<std::string> blocks;
  for (size_t at = xml.find("<" + name); at != std::string::npos;
       at = xml.find("<" + name, at + 1)) {
    const char next = xml[at + name.size() + 1];
    if (next != ' ' && next != '>' && next != '/') continue;
    const size_t end = closed ? xml.find("</" + name + ">", at) : xml.find('>', at);
    blocks.push_back(xml.substr(at, end - at));
  }
  return blocks;
}

platform::DigestSet DigestsIn(const std::string& xml) {
  auto digest = [&](const std::string& type) {
    const std::string open = "<hashdigest type=\"" + type + "\">";
    const size_t at = xml.find(open);
    return at == std::string::npos
               ? std::string()
               : xml.substr(at + open.size(), xml.find('<', at + 1) - at - open.size());
  };
  return {digest("md5"), digest("sha1"), digest("sha256")};
}

struct ReportedMessage {
  std::vector<engine::ByteRun> runs;
  std::vector<engine::Mend> mends;  // their kinds are not read back
  platform::DigestSet digests;
  std::string saved_as;
  uint64_t size = 0;
  std::string status;
  std::string subject;
};

struct ReportedFile {
  std::string path;
  uint64_t length = 0;
  platform::DigestSet digests;
  std::vector<ReportedMessage> messages;
};

std::vector<ReportedFile> ReadDfxml(const std::string& path) {
  std::vector<ReportedFile> files;
  for (const std::string& image : Blocks(ReadFileText(path), "diskimageobject", true)) {
    ReportedFile file;
    file.path = Element(image, "r:image_filename");
    const std::string own = image.substr(0, image.find("<fileobject>"));
    file.length = Attribute(Blocks(own, "byte_run", false).at(0), "len");
    file.digests = DigestsIn(own);
    for (const std::string& object : Blocks(image, "fileobject", true)) {
      ReportedMessage message;
      for (const std::string& run : Blocks(object, "byte_run", false)) {
        message.runs.push_back(
            {Attribute(run, "img_offset"), Attribute(run, "file_offset"), Attribute(run, "len")});
      }
      for (const std::string& mend : Blocks(object, "r:mend", false)) {
        message.mends.push_back({Attribute(mend, "at"), Attribute(mend, "length")});
      }
      message.digests = DigestsIn(object);
      message.saved_as = Element(object, "filename");
      message.size = std::stoull(Element(object, "filesize"));
      message.status = Element(object, "r:status");
      message.subject = Element(object, "r:subject");
      file.messages.push_back(std::move(message));
    }
    files.push_back(std::move(file));
  }
  return files;
}

bool Validates(const std::string& report) {
  const std::string schema =
      std::string(std::getenv("RESCUVA_SOURCE")) + "/tests/schemas/dfxml/dfxml.xsd";
  return std::system(
             ("xmllint --noout --schema '" + schema + "' '" + report + "' 2>/dev/null").c_str()) ==
         0;
}

// The runs joined as read from `source`, in message order with no gap.
Bytes ReadRuns(const Bytes& source, const ReportedMessage& message) {
  Bytes raw;
  for (const engine::ByteRun& run : message.runs) {
    EXPECT_EQ(run.message_offset, raw.size());
    EXPECT_LE(run.position + run.length, source.size());
    raw.insert(raw.end(), source.begin() + static_cast<ptrdiff_t>(run.position),
               source.begin() + static_cast<ptrdiff_t>(run.position + run.length));
  }
  return raw;
}

// The message's bytes are its runs' bytes, except at the mended spots; what is left out
// at the end is left out.
void ExpectRunsGive(const Bytes& raw, const ReportedMessage& message, const Bytes& bytes) {
  std::vector<bool> mended(raw.size());
  size_t end = raw.size();
  for (const engine::Mend& mend : message.mends) {
    if (mend.at + mend.length == raw.size() && mend.at <= end && mend.length > 0 &&
        mend.at + mend.length > bytes.size()) {
      end = mend.at;  // the zeros left out
    }
    for (uint64_t i = mend.at; i < mend.at + mend.length && i < raw.size(); ++i) mended[i] = true;
  }
  ASSERT_EQ(bytes.size(), end) << message.subject;
  for (size_t i = 0; i < end; ++i) {
    if (!mended[i]) {
      ASSERT_EQ(raw[i], bytes[i]) << message.subject << " at " << i;
    }
  }
  EXPECT_EQ(platform::DigestsOf(bytes), message.digests) << message.subject;
}

class ReportTest : public ::testing::Test {
 protected:
  testing::CliResult Run(const std::string& args) { return testing::RunCli(dir_.Path(), args); }
  std::string Out(const std::string& name) const { return dir_.Path() + "/report/" + name; }
  testing::TempDir dir_;
};

// The sample with the repair and its messages saved: every part of the report agrees
// with the source, the saved files and the tools examiners use.
TEST_F(ReportTest, TheSampleReportAgreesWithTheSourceAndTheSavedFiles) {
  const std::string sample = testing::CopyOfSample(dir_.Path());
  std::filesystem::create_directory(dir_.Path() + "/saved");
  auto r = Run("--quiet --repair --save-eml " + dir_.Path() + "/saved --report " + dir_.Path() +
               "/report " + sample);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(Validates(Out("report.dfxml")));

  const auto files = ReadDfxml(Out("report.dfxml"));
  ASSERT_EQ(files.size(), 1u);
  const ReportedFile& file = files[0];
  EXPECT_EQ(file.path, sample);
  EXPECT_EQ(file.length, std::filesystem::file_size(sample));
  EXPECT_EQ(file.digests.md5, testing::FirstWordOf("md5sum " + sample));
  EXPECT_EQ(file.digests.sha1, testing::FirstWordOf("sha1sum " + sample));
  EXPECT_EQ(file.digests.sha256, testing::FirstWordOf("sha256sum " + sample));

  const Bytes source = ReadFileBytes(sample);
  ASSERT_EQ(file.messages.size(), 7u);
  size_t mended = 0;
  for (const ReportedMessage& message : file.messages) {
    ASSERT_TRUE(std::filesystem::exists(message.saved_as)) << message.saved_as;
    const Bytes saved = ReadFileBytes(message.saved_as);
    EXPECT_EQ(message.size, saved.size());
    ExpectRunsGive(ReadRuns(source, message), message, saved);
    mended += !message.mends.empty();
  }
  EXPECT_EQ(mended, 2u);  // the two deleted messages the repair mended

  // one timeline line per message time; mactime reads each as one event
  const std::string body = ReadFileText(Out("timeline.body"));
  EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 7);
  const std::string events = dir_.Path() + "/events.txt";
  ASSERT_EQ(std::system(("mactime -b '" + Out("timeline.body") + "' -z UTC >" + events).c_str()),
            0);
  const std::string printed = ReadFileText(events);
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 7) << printed;
  EXPECT_NE(printed.find("Tue Feb 10 2004 19:26:59"), std::string::npos) << printed;

  const std::string csv = ReadFileText(Out("messages.csv"));
  EXPECT_TRUE(
      csv.starts_with("\xEF\xBB\xBF"
                      "number,status,complete,cut,"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 8);
  EXPECT_NE(csv.find("\"9420+512@0; 16812+512@512; 14172+267@1024\""), std::string::npos);

  // the page links every saved file where it lies
  const std::string page = ReadFileText(Out("index.html"));
  EXPECT_NE(page.find(testing::FirstWordOf("md5sum " + sample)), std::string::npos);
  size_t links = 0;
  for (size_t at = page.find("<a href=\""); at != std::string::npos;
       at = page.find("<a href=\"", at + 1)) {
    const size_t from = at + 9;
    std::string link = page.substr(from, page.find('"', from) - from);
    for (size_t p = link.find('%'); p != std::string::npos; p = link.find('%', p + 1)) {
      link.replace(p, 3, 1, static_cast<char>(std::stoi(link.substr(p + 1, 2), nullptr, 16)));
    }
    EXPECT_TRUE(std::filesystem::exists(Out(link))) << link;
    ++links;
  }
  EXPECT_EQ(links, 7u);

  // a second report into the same folder is refused before anything is read
  auto again = Run("--quiet --report " + dir_.Path() + "/report " + sample);
  EXPECT_EQ(again.code, 3);
  EXPECT_NE(again.err.find("exists already"), std::string::npos) << again.err;
  EXPECT_EQ(again.out, "");
}

// A store: one disk image object a mail file, each with the digests of its own bytes,
// each message under the file it was read from.
TEST_F(ReportTest, AStoreReportsEveryMailFileWithItsOwnDigests) {
  const std::string store = dir_.Path() + "/store";
  std::filesystem::create_directory(store);
  testing::WriteFolderList(store + "/Folders.dbx",
                           {{4, 1, "Inbox", "Inbox.dbx", 1}, {10, 1, "Garden", "Garden.dbx"}});
  testing::WriteMailFile(store + "/Inbox.dbx", {testing::StoreMail("kept", "k@x"),
                                                testing::StoreMail("gone", "g@x", true)});
  testing::WriteMailFile(store + "/Garden.dbx", {testing::StoreMail("roses", "r@x")});
  auto r = Run("--quiet --report " + dir_.Path() + "/report " + store);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(Validates(Out("report.dfxml")));
  const auto files = ReadDfxml(Out("report.dfxml"));
  ASSERT_EQ(files.size(), 2u);
  std::map<std::string, std::string> subjects;
  for (const ReportedFile& file : files) {
    const Bytes bytes = ReadFileBytes(file.path);
    EXPECT_EQ(file.digests, platform::DigestsOf(bytes)) << file.path;
    for (const ReportedMessage& message : file.messages) {
      subjects[message.subject] = std::filesystem::path(file.path).filename().string();
      if (message.mends.empty()) {
        EXPECT_EQ(platform::DigestsOf(ReadRuns(bytes, message)), message.digests);
      }
    }
  }
  EXPECT_EQ(subjects["kept"], "Inbox.dbx");
  EXPECT_EQ(subjects["gone"], "Inbox.dbx");
  EXPECT_EQ(subjects["roses"], "Garden.dbx");
  EXPECT_NE(ReadFileText(Out("messages.csv")).find("\"deleted\",1,"), std::string::npos);
}

// The sample cut in two at a cluster boundary, its pieces swapped among other bytes and
// the image in numbered segments: the runs are positions in the whole image.
TEST_F(ReportTest, AnImageInPiecesGivesRunsInTheImage) {
  const Bytes sample = ReadFileBytes(testing::SamplePath());
  const size_t cut = 12288;
  Bytes image(64 * 1024, 0x5A);
  std::copy(sample.begin() + cut, sample.end(), image.begin() + 4096);
  std::copy(sample.begin(), sample.begin() + cut, image.begin() + 32768);
  const std::string first = dir_.Path() + "/disk.001";
  std::ofstream(first, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 40000);
  std::ofstream(dir_.Path() + "/disk.002", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()) + 40000,
             static_cast<std::streamsize>(image.size() - 40000));
  auto r = Run("--quiet --report " + dir_.Path() + "/report " + first);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(Validates(Out("report.dfxml")));
  const auto files = ReadDfxml(Out("report.dfxml"));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].length, image.size());
  EXPECT_EQ(files[0].digests, platform::DigestsOf(image));
  size_t across = 0;
  for (const ReportedMessage& message : files[0].messages) {
    if (message.mends.empty()) {
      EXPECT_EQ(platform::DigestsOf(ReadRuns(image, message)), message.digests) << message.subject;
    }
    for (const engine::ByteRun& run : message.runs) across += run.position >= 32768;
  }
  EXPECT_GE(files[0].messages.size(), 5u);
  EXPECT_GT(across, 0u);
}

// Subjects a spreadsheet would run as formulas, and markup: text in every output.
TEST_F(ReportTest, RecoveredTextStaysText) {
  testing::FolderBuilder built(0x8000);
  built.Chain({0x3000}, testing::MailText("=HYPERLINK(\"http://x\")"));
  built.Chain({0x3210}, testing::MailText("@SUM(A1)"));
  built.Chain({0x3420}, testing::MailText("<b>bold</b><script>alert(1)</script> & more"));
  const std::string folder = built.Write(dir_.Path());
  auto r = Run("--quiet --report " + dir_.Path() + "/report " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(Validates(Out("report.dfxml")));
  const std::string csv = ReadFileText(Out("messages.csv"));
  EXPECT_NE(csv.find(",\"'=HYPERLINK(\"\"http://x\"\")\","), std::string::npos) << csv;
  EXPECT_NE(csv.find(",\"'@SUM(A1)\","), std::string::npos);
  const std::string page = ReadFileText(Out("index.html"));
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("&lt;b&gt;bold&lt;/b&gt;&lt;script&gt;alert(1)&lt;/script&gt; &amp; more"),
            std::string::npos);
  EXPECT_NE(page.find("Content-Security-Policy\" content=\"default-src 'none'"), std::string::npos);
  EXPECT_EQ(ReadDfxml(Out("report.dfxml"))[0].messages[2].subject,
            "<b>bold</b><script>alert(1)</script> & more");
}

TEST(SpreadsheetCell, QuotesAndDisarms) {
  EXPECT_EQ(TextCell("plain"), "\"plain\"");
  EXPECT_EQ(TextCell("say \"hi\", then\r\ngo"), "\"say \"\"hi\"\", then\r\ngo\"");
  for (const char* formula : {"=1+1", "+1", "-1", "@A1", "\tx", "\r\n=1"}) {
    EXPECT_TRUE(TextCell(formula).starts_with("\"'")) << formula;
  }
  // a control character is no text a cell should hold, and cannot hide a formula
  EXPECT_EQ(TextCell("\x01=1"), "\"\xEF\xBF\xBD=1\"");
  EXPECT_EQ(PlainText(std::string("a\x1b[31mb\xC2\x9B\xFFz")),
            "a\xEF\xBF\xBD[31mb\xEF\xBF\xBD\xEF\xBF\xBDz");
}

}  // namespace
}  // namespace rescuva::report
