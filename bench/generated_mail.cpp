#include "bench/generated_mail.h"

#include <string>

namespace rescuva::bench {
namespace {

constexpr const char* kNames[] = {"Ada Lindqvist", "Ben Okafor",   "Carla Mendes", "Dmitri Volkov",
                                  "Esi Mensah",    "Farid Haddad", "Greta Holm",   "Hiro Tanaka"};
constexpr const char* kWords[] = {"garden", "meeting", "invoice", "greenhouse", "seeds", "spring",
                                  "report", "minutes", "flyer",   "photos",     "order"};

uint64_t Mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  return x;
}

}  // namespace

GeneratedMessage GeneratedMail(size_t i, bool deleted) {
  const uint64_t h = Mix(i + 1);
  const std::string from = kNames[h % 8], to = kNames[(h >> 8) % 8];
  const std::string subject =
      std::string(kWords[(h >> 16) % 11]) + " " + kWords[(h >> 24) % 11] + " #" + std::to_string(i);
  const int day = 1 + static_cast<int>((h >> 32) % 28);
  std::string text = "From: " + from + " <" + std::to_string(h % 8) + "@example.org>\r\nTo: " + to +
                     " <" + std::to_string((h >> 8) % 8) + "@example.org>\r\nSubject: " + subject +
                     "\r\nDate: Tue, " + std::to_string(day) + " Feb 2004 10:00:00 +0000\r\n" +
                     "Message-ID: <" + std::to_string(i) + "@example.org>\r\n";
  const size_t body = 700 + (h >> 40) % 8000;
  const bool attachment = (h >> 56) % 5 == 0;
  if (attachment) {
    text +=
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
        "Content-Type: text/plain\r\n\r\n";
  } else {
    text += "\r\n";
  }
  while (text.size() < body) {
    text += std::string(kWords[Mix(text.size() + i) % 11]) + (text.size() % 70 < 8 ? "\r\n" : " ");
  }
  if (attachment) {
    text +=
        "\r\n--b\r\nContent-Type: application/pdf\r\nContent-Disposition: attachment; "
        "filename=\"file" +
        std::to_string(i) + ".pdf\"\r\n\r\nJVBERi0xLjQK\r\n--b--\r\n";
  }
  GeneratedMessage message{std::move(text), deleted};
  message.info.subject = subject;
  // as Outlook Express keeps it, the record holds the message's id
  message.info.message_id = "<" + std::to_string(i) + "@example.org>";
  return message;
}

}  // namespace rescuva::bench
