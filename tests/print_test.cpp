// rescuva --print-pdf and --print-one-pdf: what pdftotext reads in the printed files is
// each message's header block, attachment names and body; recovered text stays text;
// nothing is fetched from the network while printing.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/cli_run.h"
#include "tests/folder_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::testing {
namespace {

namespace fs = std::filesystem;

// A web server on this machine that writes each request it gets into a file.
class WatchedServer {
 public:
  explicit WatchedServer(const std::string& folder) : log_(folder + "/requests.txt") {
    const std::string script = folder + "/serve.py", port_file = folder + "/port.txt";
    std::ofstream(script) << R"(import http.server, sys
class Logged(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        open(sys.argv[2], 'a').write(self.path + '\n')
        self.send_response(404)
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(('127.0.0.1', 0), Logged)
open(sys.argv[1] + '.tmp', 'w').write(str(server.server_address[1]))
import os
os.rename(sys.argv[1] + '.tmp', sys.argv[1])
server.serve_forever()
)";
    std::system(("python3 '" + script + "' '" + port_file + "' '" + log_ + "' & echo $! > '" +
                 folder + "/pid.txt'")
                    .c_str());
    for (int i = 0; i < 100 && !fs::exists(port_file); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    port_ = ReadFileText(port_file);
    pid_ = std::atoi(ReadFileText(folder + "/pid.txt").c_str());
  }
  ~WatchedServer() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }
  const std::string& Port() const { return port_; }
  std::string Requests() const { return fs::exists(log_) ? ReadFileText(log_) : ""; }

 private:
  std::string log_;
  std::string port_;
  int pid_ = 0;
};

class PrintTest : public ::testing::Test {
 protected:
  CliResult Print(const std::string& args) {
    return RunCli(dir_.Path(), "QTWEBENGINE_DISABLE_SANDBOX=1 " RESCUVA_APP_DIR "/rescuva " + args,
                  true);
  }
  std::string Text(const std::string& pdf) {
    return RunCli(dir_.Path(), "pdftotext '" + pdf + "' -", true).out;
  }
  TempDir dir_;
};

TEST_F(PrintTest, EveryMessageIsPrintedAsThePreviewShowsItAndNothingIsFetched) {
  WatchedServer server(dir_.Path());
  ASSERT_FALSE(server.Port().empty());
  const std::string html =
      "From: Ada <ada@example.org>\r\nTo: ben@example.org\r\nSubject: Garden <b>plans</b> & "
      "seeds\r\nDate: Tue, 10 Feb 2004 19:26:59 +0000\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
      "Content-Type: text/html; charset=us-ascii\r\n\r\n<html><body><p>Tomatoes by the "
      "fence</p><img src=\"http://127.0.0.1:" +
      server.Port() +
      "/pixel.png\"><link rel=\"stylesheet\" href=\"http://127.0.0.1:" + server.Port() +
      "/style.css\"></body></html>\r\n--b1\r\nContent-Type: text/plain; name=\"plan.txt\"\r\n"
      "Content-Disposition: attachment; filename=\"plan.txt\"\r\n\r\nrows\r\n--b1--\r\n";
  FolderBuilder built(0x8000);
  built.Chain({0x3000, 0x3210, 0x3420}, html);
  built.Chain({0x3630}, MailText("Invoice", "Pay by Friday.\r\nThanks, Ben\r\n"));
  const std::string folder = built.Write(dir_.Path(), "print.dbx");

  const std::string each = dir_.Path() + "/each";
  fs::create_directory(each);
  auto r = Print("--print-pdf " + each + " " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("2 printed, 0 failed"), std::string::npos) << r.err;
  std::map<std::string, std::string> printed;
  for (const auto& entry : fs::directory_iterator(each)) {
    printed[entry.path().filename().string()] = Text(entry.path().string());
  }
  ASSERT_EQ(printed.size(), 2u);
  const std::string& garden = printed.begin()->second;  // "Garden ..." sorts first
  EXPECT_NE(garden.find("Subject: Garden <b>plans</b> & seeds"), std::string::npos) << garden;
  EXPECT_NE(garden.find("From: Ada <ada@example.org>"), std::string::npos) << garden;
  EXPECT_NE(garden.find("Attachments: plan.txt"), std::string::npos) << garden;
  EXPECT_NE(garden.find("Tomatoes by the fence"), std::string::npos) << garden;
  const std::string& invoice = std::next(printed.begin())->second;
  EXPECT_NE(invoice.find("Subject: Invoice"), std::string::npos) << invoice;
  EXPECT_NE(invoice.find("Pay by Friday.\nThanks, Ben"), std::string::npos) << invoice;

  const std::string one = dir_.Path() + "/all.pdf";
  r = Print("--print-one-pdf " + one + " " + folder);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string all = Text(one);
  const size_t first = all.find("Tomatoes by the fence"), second = all.find("Pay by Friday.");
  EXPECT_NE(first, std::string::npos) << all;
  EXPECT_NE(second, std::string::npos) << all;
  EXPECT_LT(first, second);                             // in the listing's order
  EXPECT_NE(all.find('\f', first), std::string::npos);  // each message on its own pages

  EXPECT_EQ(server.Requests(), "");
  EXPECT_EQ(Print("--print-one-pdf " + one + " " + folder).code, 3);  // never over a file
  EXPECT_EQ(Print("--print-pdf " + each + " --scope some " + folder).code, 2);
  EXPECT_EQ(Print("--print-pdf").code, 2);
}

}  // namespace
}  // namespace rescuva::testing
