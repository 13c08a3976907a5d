// Makes samples/sample.dbx, the bundled example folder file: existing and deleted
// messages in plain text and HTML with an inline image, attachments, encoded
// non-ASCII headers and one chain that breaks off. Every byte comes from here.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/folder_generator.h"

namespace {

using rescuva::bench::GeneratedMessage;

// 16 x 16 chequered picture.
constexpr const char* kPicture =
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAJElEQVR42mO4YGAARwYJF+"
    "AIlzjDINRAjCJk8cGoYTQeBoUGAGB6SBAa6oyiAAAAAElFTkSuQmCC";

std::string Head(const std::string& from, const std::string& to, const std::string& subject,
                 const std::string& date, const std::string& id) {
  return "Received: from mail.example.net by mx.example.org; " + date + "\r\n" + "From: " + from +
         "\r\nTo: " + to + "\r\nSubject: " + subject + "\r\nDate: " + date + "\r\nMessage-ID: <" +
         id + "@example.org>\r\nMIME-Version: 1.0\r\n";
}

std::string Paragraphs(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += "Paragraph " + std::to_string(i) +
            ": the old machine kept its mail in folder files; this one survived.\r\n";
  }
  return text;
}

std::vector<GeneratedMessage> SampleMessages() {
  std::vector<GeneratedMessage> m;
  m.push_back({Head("Ada Lindqvist <ada@example.org>", "Ben Okafor <ben@example.org>",
                    "Minutes of the garden club", "Tue, 10 Feb 2004 19:26:59 +0000", "m1") +
               "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + Paragraphs(12)});
  m.push_back({Head("Ben Okafor <ben@example.org>", "Ada Lindqvist <ada@example.org>",
                    "Photo of the new greenhouse", "Wed, 11 Feb 2004 08:15:00 +0100", "m2") +
               "Content-Type: multipart/related; boundary=\"rel\"; type=\"text/html\"\r\n\r\n"
               "--rel\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
               "<html><body><h1>The greenhouse</h1><p>Here it is:</p>"
               "<img src=\"cid:picture1@example.org\" width=\"64\" height=\"64\"></body></html>\r\n"
               "--rel\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n"
               "Content-ID: <picture1@example.org>\r\n\r\n" +
               std::string(kPicture) + "\r\n--rel--\r\n"});
  m.push_back(
      {Head("Carla Mendes <carla@example.org>", "Ada Lindqvist <ada@example.org>",
            "Seed order and invoice", "Thu, 12 Feb 2004 12:00:00 +0000", "m3") +
       "Content-Type: multipart/mixed; boundary=\"mix\"\r\n\r\n"
       "--mix\r\nContent-Type: text/plain\r\n\r\nThe invoice and the list are attached.\r\n"
       "--mix\r\nContent-Type: application/pdf\r\n"
       "Content-Disposition: attachment; filename=\"invoice-2004-02.pdf\"\r\n"
       "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQKJcOkw7zDtsOfCg==\r\n"
       "--mix\r\nContent-Type: text/csv\r\n"
       "Content-Disposition: attachment; filename*=UTF-8''Saatgut%20f%C3%BCr%20M%C3%A4rz.csv\r\n"
       "\r\nname;count\r\ntomato;12\r\n--mix--\r\n"});
  m.push_back({Head("=?iso-8859-1?Q?Ren=E9e_Fa=E7on?= <renee@example.fr>",
                    "=?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <juergen@example.de>",
                    "=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_K=C3=B6ln_=E2=80=93_=C3=9Cbersicht?=",
                    "Fri, 13 Feb 2004 09:30:00 +0100", "m4") +
               "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
               "Viele Grüße aus Köln.\r\n"});
  m.push_back({Head("Dmitri Volkov <dmitri@example.org>", "Ada Lindqvist <ada@example.org>",
                    "Deleted: old meeting notes", "Mon, 16 Feb 2004 17:45:00 +0000", "m5") +
                   "Content-Type: text/plain\r\n\r\n" + Paragraphs(20),
               true});
  m.push_back({Head("Ben Okafor <ben@example.org>", "Ada Lindqvist <ada@example.org>",
                    "Deleted: flyer draft", "Tue, 17 Feb 2004 10:05:00 +0000", "m6") +
                   "Content-Type: multipart/mixed; boundary=\"d\"\r\n\r\n--d\r\n"
                   "Content-Type: text/html\r\n\r\n<p>Draft of the <b>flyer</b>.</p>\r\n--d\r\n"
                   "Content-Type: text/plain; name=\"flyer.txt\"\r\n\r\nSpring fair!\r\n--d--\r\n",
               true});
  GeneratedMessage broken{
      Head("Ada Lindqvist <ada@example.org>", "Carla Mendes <carla@example.org>",
           "Long letter (its chain breaks off)", "Wed, 18 Feb 2004 21:00:00 +0000", "m7") +
      "Content-Type: text/plain\r\n\r\n" + Paragraphs(30)};
  broken.broken_chain = true;
  m.push_back(broken);
  for (auto& message : m) message.info.subject = "sample";
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rescuva-make-sample OUTPUT.dbx\n");
    return 2;
  }
  const auto messages = SampleMessages();
  const bool ok = rescuva::bench::WriteGeneratedFolder(argv[1], messages.size(),
                                                       [&](size_t i) { return messages[i]; }, {1});
  if (!ok) std::fprintf(stderr, "cannot write %s (it must not exist yet)\n", argv[1]);
  return ok ? 0 : 1;
}
