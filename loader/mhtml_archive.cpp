#include <glib.h>

#include <memory>

#include "loader/message_loader.h"

namespace rescuva::loader {
namespace {

constexpr const char* kBoundary = "----=_rescuva_preview_archive";
constexpr size_t kLine = 76;

// Base64 in lines of 76 characters.
std::string Base64Lines(const std::string& bytes) {
  std::unique_ptr<char, decltype(&g_free)> encoded(
      g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size()), &g_free);
  const std::string text = encoded.get();
  std::string lines;
  for (size_t at = 0; at < text.size(); at += kLine) lines += text.substr(at, kLine) + "\r\n";
  return lines;
}

// A header value from recovered text: one line, nothing that ends the header or the
// quoted string it may stand in.
std::string HeaderValue(const std::string& value) {
  std::string out;
  for (char c : value) out += c == '\r' || c == '\n' || c == '"' ? ' ' : c;
  return out;
}

}  // namespace

// The boundary cannot occur inside the parts: every part is base64.
std::string MhtmlArchive(const std::string& html, const std::string& html_charset,
                         const std::vector<RelatedPart>& parts) {
  std::string archive =
      "MIME-Version: 1.0\r\nContent-Type: multipart/related; type=\"text/html\"; "
      "boundary=\"" +
      std::string(kBoundary) + "\"\r\n\r\n";
  std::string charset = HeaderValue(html_charset);
  if (charset.empty()) {
    charset = g_utf8_validate(html.data(), static_cast<gssize>(html.size()), nullptr)
                  ? "utf-8"
                  : "windows-1252";
  }
  archive += "--" + std::string(kBoundary) + "\r\nContent-Type: text/html; charset=\"" + charset +
             "\"\r\n"
             "Content-Location: file:///rescuva-preview/message.html\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\n" +
             Base64Lines(html);
  for (const RelatedPart& part : parts) {
    archive += "--" + std::string(kBoundary) +
               "\r\nContent-Type: " + HeaderValue(part.content_type) +
               "\r\nContent-Transfer-Encoding: base64\r\n";
    if (!part.content_id.empty())
      archive += "Content-ID: <" + HeaderValue(part.content_id) + ">\r\n";
    if (!part.content_location.empty()) {
      archive += "Content-Location: " + HeaderValue(part.content_location) + "\r\n";
    }
    archive += "\r\n" + Base64Lines(part.content);
  }
  archive += "--" + std::string(kBoundary) + "--\r\n";
  return archive;
}

std::string MhtmlArchive(const LoadedMessage& message) {
  if (message.html_body.empty()) return {};
  return MhtmlArchive(message.html_source, message.html_charset, message.related_parts);
}

}  // namespace rescuva::loader
