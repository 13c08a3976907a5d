// The message loader over real-world message shapes: encoded and raw 8-bit headers,
// nested multiparts, attachment names, received times, and files that give nothing.
#include <gtest/gtest.h>

#include <fstream>

#include "loader/message_loader.h"
#include "tests/temp_dir.h"

namespace rescuva::loader {
namespace {

class LoaderTest : public ::testing::Test {
 protected:
  std::optional<LoadedMessage> Load(const std::string& text) {
    const std::string path = dir_.Path() + "/m.eml";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return LoadMessageFile(path);
  }
  testing::TempDir dir_;
};

TEST_F(LoaderTest, EncodedWordsAndRawHeadersAreDecoded) {
  auto m = Load(
      "From: =?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <jm@example.de>\r\n"
      "To: =?iso-8859-1?Q?Ren=E9e?= <renee@example.fr>, bob@example.org\r\n"
      "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\n =?UTF-8?Q?_aus_K=C3=B6ln?=\r\n"
      "\r\nbody\r\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->from, "Jürgen Müller <jm@example.de>");
  EXPECT_EQ(m->to, "Renée <renee@example.fr>, bob@example.org");
  EXPECT_EQ(m->subject, "Grüße aus Köln");
  EXPECT_EQ(m->sender_name, "Jürgen Müller");
  EXPECT_EQ(m->sender_address, "jm@example.de");
  EXPECT_EQ(m->receiver_address, "renee@example.fr");
  EXPECT_EQ(m->text_body, "body\r\n");
  // raw Windows-1252 bytes in a header
  auto raw = Load("From: Fran\xE7ois <f@example.fr>\r\nSubject: Caf\xE9 \x80 5\r\n\r\nx");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->subject, "Café € 5");
  EXPECT_EQ(raw->from, "François <f@example.fr>");
}

// The display text of an address list is GMime's, character for character: names
// with specials quoted, escaped or kept, groups, and domains in their IDN form.
TEST_F(LoaderTest, AddressTextIsWrittenAsGMimeWritesIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"John Smith <john@example.com>", "John Smith <john@example.com>"},
      {"john@Example.COM", "john@Example.COM"},
      {"<bare@x.y>, \"\" <e@f.g>", "bare@x.y, e@f.g"},
      {"John Q. Public <jq@x.org>", "\"John Q. Public\" <jq@x.org>"},
      {"a@b.c, \"D, E\" <d@e.f>", "a@b.c, \"D, E\" <d@e.f>"},
      {"Grp: a@b.c, d@e.f;", "Grp: a@b.c, d@e.f;"},
      {"=?utf-8?q?J=C3=B6rg?= <j@xn--bcher-kva.example>", "Jörg <j@xn--bcher-kva.example>"},
      {"J\xC3\xB6rg <j@b\xC3\xBC"
       "cher.example>",
       "Jörg <j@xn--bcher-kva.example>"},
      {"a <B@XN--BCHER-KVA.EXAMPLE>", "a <B@XN--BCHER-KVA.EXAMPLE>"},
      {"O'Brien <ob@x.y>, A  B <ab@x.y>, A_B-C+D=?x? <x@y.z>",
       "O'Brien <ob@x.y>, A  B <ab@x.y>, A_B-C+D=?x? <x@y.z>"},
      {"a@b.c (comment)", "comment <a@b.c>"},
      {"Jo \"Q\" <a@b.c>", "Jo Q <a@b.c>"},
      {"\"a\\\\b\" <a@b.c>", "a\\\\b <a@b.c>"},
      {"\"tab\tx\" <a@b.c>", "tab\tx <a@b.c>"},
      {"Jo@hn <a@b.c>", "\"Jo@hn\" <a@b.c>"},
      {"q <\"a b\"@c.d>", "q <\"a b\"@c.d>"},
      {"x <a@b.c.>", "x <a@b.c>"},
  };
  for (const auto& [header, shown] : cases) {
    auto m = Load("From: " + header + "\r\n\r\nx");
    ASSERT_TRUE(m) << header;
    EXPECT_EQ(m->from, shown) << header;
  }
}

TEST_F(LoaderTest, NestedMultipartsGiveBodiesAndAttachmentNames) {
  auto m = Load(
      "From: a@example.org\r\nSubject: parts\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
      "--outer\r\nContent-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
      "--alt\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n\r\nH=E9llo plain\r\n"
      "--alt\r\nContent-Type: multipart/related; boundary=\"rel\"\r\n\r\n"
      "--rel\r\nContent-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "PGI+SMOpbGxvPC9iPjxpbWcgc3JjPSJjaWQ6aW1nMSI+\r\n"
      "--rel\r\nContent-Type: image/png; name=\"inline.png\"\r\nContent-ID: <img1>\r\n\r\nPNG\r\n"
      "--rel--\r\n--alt--\r\n"
      "--outer\r\nContent-Type: application/pdf\r\n"
      "Content-Disposition: attachment; filename*=UTF-8''%E2%82%AC%20rates.pdf\r\n\r\n%PDF\r\n"
      "--outer\r\nContent-Type: application/octet-stream\r\n\r\nunnamed\r\n"
      "--outer\r\nContent-Type: message/rfc822; name=\"forwarded.eml\"\r\n\r\n"
      "Subject: inner\r\n\r\ninner body\r\n"
      "--outer\r\nContent-Type: text/plain; name=\"notes.txt\"\r\n\r\nnotes\r\n"
      "--outer--\r\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->text_body, "Héllo plain");
  EXPECT_EQ(m->html_body, "<b>Héllo</b><img src=\"cid:img1\">");
  EXPECT_EQ(m->attachment_names,
            (std::vector<std::string>{"€ rates.pdf", "", "forwarded.eml", "notes.txt"}));
  EXPECT_TRUE(m->HasNamedAttachment());
}

TEST_F(LoaderTest, UnnamedPartsAreNoNamedAttachment) {
  auto m = Load(
      "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
      "--b\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\n\r\nxx\r\n--b--\r\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->attachment_names, std::vector<std::string>{""});
  EXPECT_FALSE(m->HasNamedAttachment());
  EXPECT_TRUE(m->text_body.empty());
}

TEST_F(LoaderTest, ReceivedTimeIsTheNewestHopElseTheDate) {
  auto m = Load(
      "Received: from b by c; Wed, 11 Feb 2004 08:00:00 +0100\r\n"
      "Received: from a by b; Tue, 10 Feb 2004 20:00:00 +0000\r\n"
      "Date: Tue, 10 Feb 2004 19:26:59 +0000\r\nSubject: s\r\n\r\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->received_time, 1076482800);  // 2004-02-11T07:00:00Z
  EXPECT_EQ(m->sent_time, 1076441219);
  auto dated =
      Load("Received: by nowhere\r\nDate: Tue, 10 Feb 2004 19:26:59 +0000\r\nSubject: s\r\n\r\n");
  EXPECT_EQ(dated->received_time, 1076441219);
  EXPECT_FALSE(Load("Subject: s\r\n\r\n")->received_time);
}

TEST_F(LoaderTest, HeaderOnlyEmptyAndMissingFiles) {
  auto header_only = Load("From: a@example.org\r\nSubject: only headers\r\n");
  ASSERT_TRUE(header_only);
  EXPECT_EQ(header_only->subject, "only headers");
  EXPECT_TRUE(header_only->html_body.empty());
  EXPECT_TRUE(header_only->text_body.empty());
  EXPECT_TRUE(header_only->attachment_names.empty());
  EXPECT_FALSE(Load(""));
  EXPECT_FALSE(LoadMessageFile(dir_.Path() + "/missing.eml"));
  EXPECT_FALSE(LoadMessageFile(dir_.Path()));
  // binary junk loads as a message with nothing in it
  auto junk = Load(std::string("\x01\x02\x00\xFF\xFE", 5));
  EXPECT_TRUE(!junk || (junk->from.empty() && junk->subject.empty()));
}

}  // namespace
}  // namespace rescuva::loader
