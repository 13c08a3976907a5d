#include "loader/message_loader.h"

#include <fcntl.h>
#include <gmime/gmime.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace rescuva::loader {
namespace {

template <typename T>
struct GObjectDeleter {
  void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct GFreeDeleter {
  void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

GMimeParserOptions* ParserOptions() {
  static GMimeParserOptions* options = [] {
    g_mime_init();
    GMimeParserOptions* o = g_mime_parser_options_new();
    // raw 8-bit headers: UTF-8, then the user's locale charset, then Windows-1252
    static const char* charsets[] = {"UTF-8", g_mime_locale_charset(), "windows-1252", nullptr};
    g_mime_parser_options_set_fallback_charsets(o, charsets);
    g_mime_parser_options_set_rfc2047_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_address_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
    return o;
  }();
  return options;
}

std::string Text(const char* text) {
  return text ? text : "";
}

// Body text that is not valid UTF-8 (a part without a charset) is taken as Windows-1252.
std::string ValidUtf8(std::string text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  GText converted(g_convert_with_fallback(text.data(), static_cast<gssize>(text.size()), "UTF-8",
                                          "windows-1252", "?", nullptr, nullptr, nullptr));
  return converted ? converted.get() : "";
}

// A display name GMime writes as it is, neither quoted nor escaped.
bool IsPlainName(const char* name) {
  for (; *name; ++name) {
    const auto c = static_cast<unsigned char>(*name);
    if (c < 0x80 && !g_ascii_isalnum(c) && !std::strchr(" !#$%&'*+-/=?^_`{|}~", c)) return false;
  }
  return true;
}

bool IsAscii(const char* text) {
  for (; *text; ++text) {
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  }
  return true;
}

// The display text of an address list exactly as GMime writes it. GMime turns every
// address into its IDN form on the way, which an ASCII address does not need: a list
// of mailboxes with ASCII addresses and names it would not quote is written here;
// any other (a group, a name to quote, an address to convert) by GMime.
std::string AddressText(InternetAddressList* list) {
  const int count = list ? internet_address_list_length(list) : 0;
  std::string text;
  for (int i = 0; i < count; ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    const char* name = internet_address_get_name(address);
    const char* addr = INTERNET_ADDRESS_IS_MAILBOX(address)
                           ? internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address))
                           : nullptr;
    if (!addr || !*addr || !IsAscii(addr) || (name && !IsPlainName(name))) {
      return Text(GText(internet_address_list_to_string(list, nullptr, FALSE)).get());
    }
    if (i > 0) text += ", ";
    if (name && *name) {
      text.append(name).append(" <").append(addr).append(">");
    } else {
      text += addr;
    }
  }
  return text;
}

void FirstMailbox(InternetAddressList* list, std::string& name, std::string& address) {
  if (!list || internet_address_list_length(list) == 0) return;
  InternetAddress* first = internet_address_list_get_address(list, 0);
  name = Text(internet_address_get_name(first));
  if (INTERNET_ADDRESS_IS_MAILBOX(first)) {
    address = Text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(first)));
  }
}

std::optional<int64_t> Seconds(GDateTime* date) {
  if (!date) return std::nullopt;
  return g_date_time_to_unix(date);
}

// The date of the topmost Received header that carries one (the newest hop).
std::optional<int64_t> NewestReceivedDate(GMimeObject* message) {
  GMimeHeaderList* headers = g_mime_object_get_header_list(message);
  const int count = g_mime_header_list_get_count(headers);
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    if (g_ascii_strcasecmp(g_mime_header_get_name(header), "Received") != 0) continue;
    const char* value = g_mime_header_get_raw_value(header);
    const char* semicolon = value ? std::strrchr(value, ';') : nullptr;
    if (!semicolon) continue;
    if (GDateTime* date = g_mime_utils_header_decode_date(semicolon + 1)) {
      auto seconds = Seconds(date);
      g_date_time_unref(date);
      return seconds;
    }
  }
  return std::nullopt;
}

std::string FileName(GMimeObject* part) {
  if (GMIME_IS_PART(part)) return Text(g_mime_part_get_filename(GMIME_PART(part)));
  const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
  return Text(name ? name : g_mime_object_get_content_type_parameter(part, "name"));
}

bool IsAttachmentDisposition(GMimeObject* part) {
  GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(part);
  return disposition && g_mime_content_disposition_is_attachment(disposition);
}

// A leaf's content with its transfer encoding undone, its charset left as it is.
std::optional<std::string> Content(GMimeObject* part) {
  if (!GMIME_IS_PART(part)) return std::nullopt;
  GMimeDataWrapper* wrapper = g_mime_part_get_content(GMIME_PART(part));
  if (!wrapper) return std::nullopt;
  GObjectPtr<GMimeStream> decoded(g_mime_stream_mem_new());
  if (g_mime_data_wrapper_write_to_stream(wrapper, decoded.get()) < 0) return std::nullopt;
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(decoded.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

// A leaf an HTML body may refer to, by its Content-ID or Content-Location.
void KeepRelated(GMimeObject* part, LoadedMessage& message) {
  const char* id = g_mime_object_get_content_id(part);
  const char* location = g_mime_object_get_header(part, "Content-Location");
  if ((!id || !*id) && (!location || !*location)) return;
  auto content = Content(part);
  if (!content) return;
  GMimeContentType* type = g_mime_object_get_content_type(part);
  message.related_parts.push_back({Text(GText(g_mime_content_type_get_mime_type(type)).get()),
                                   Text(id), Text(location), std::move(*content)});
}

// Walks the MIME tree: the first unnamed, inline text/html and text/plain parts are
// the bodies; every other leaf is an attachment, except the resources an HTML body
// refers to inside multipart/related. With the bodies, the leaves an HTML body can
// refer to are kept too.
// What a walk of the MIME tree keeps beside the headers.
struct Wanted {
  bool bodies = false;
  bool attachments = false;
};

void Collect(GMimeObject* part, bool related_resource, Wanted wanted, LoadedMessage& message) {
  if (GMIME_IS_MULTIPART(part)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(part);
    const bool related =
        g_mime_content_type_is_type(g_mime_object_get_content_type(part), "multipart", "related");
    const int count = g_mime_multipart_get_count(multipart);
    for (int i = 0; i < count; ++i) {
      Collect(g_mime_multipart_get_part(multipart, i), related && i > 0, wanted, message);
    }
    return;
  }
  const std::string name = FileName(part);
  const bool attachment_disposition = IsAttachmentDisposition(part);
  if (GMIME_IS_TEXT_PART(part) && name.empty() && !attachment_disposition) {
    GMimeContentType* type = g_mime_object_get_content_type(part);
    std::string* body = g_mime_content_type_is_type(type, "text", "html")    ? &message.html_body
                        : g_mime_content_type_is_type(type, "text", "plain") ? &message.text_body
                                                                             : nullptr;
    const bool bodies = wanted.bodies;
    if (body && body->empty()) {
      *body = bodies
                  ? ValidUtf8(Text(GText(g_mime_text_part_get_text(GMIME_TEXT_PART(part))).get()))
                  : " ";  // taken, so that a later part of its type is no body
      if (bodies && body == &message.html_body) {
        message.html_source = Content(part).value_or(std::string());
        message.html_charset = Text(g_mime_object_get_content_type_parameter(part, "charset"));
      }
      return;
    }
  }
  if (wanted.bodies) KeepRelated(part, message);
  if (related_resource && !attachment_disposition) return;
  message.attachment_names.push_back(name);
  if (wanted.attachments) message.attachments.push_back({name, Content(part).value_or("")});
}

}  // namespace

bool LoadedMessage::HasNamedAttachment() const {
  return std::any_of(attachment_names.begin(), attachment_names.end(),
                     [](const std::string& name) { return !name.empty(); });
}

// The whole file in one read: parsing from memory spares the parser's many small reads.
// The file is read into a buffer of its size; one that grows meanwhile is read on.
std::optional<std::vector<char>> ReadMessageBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::vector<char> bytes;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  bool failed = false;
  char more[16 * 1024];
  for (;;) {
    const bool full = done == bytes.size();
    const ssize_t n =
        full ? ::read(fd, more, sizeof more) : ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    if (full) bytes.insert(bytes.end(), more, more + n);
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (failed || done == 0) return std::nullopt;
  bytes.resize(done);
  return bytes;
}

std::optional<LoadedMessage> LoadMessageFile(const std::string& path, bool bodies) {
  const auto bytes = ReadMessageBytes(path);
  if (!bytes) return std::nullopt;
  return LoadMessage(*bytes, bodies);
}

namespace {

// Each thread parses with a parser of its own, set to every message in turn; between
// messages it holds an empty stream, not the last message.
GMimeMessage* ParseMessage(GMimeStream* stream, GMimeParserOptions* options) {
  thread_local const GObjectPtr<GMimeStream> nothing(g_mime_stream_mem_new());
  thread_local const GObjectPtr<GMimeParser> parser(g_mime_parser_new());
  g_mime_parser_init_with_stream(parser.get(), stream);
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
  GMimeMessage* message = g_mime_parser_construct_message(parser.get(), options);
  g_mime_parser_init_with_stream(parser.get(), nothing.get());
  return message;
}

std::optional<LoadedMessage> Load(std::span<const char> bytes, Wanted wanted) {
  if (bytes.empty()) return std::nullopt;
  GMimeParserOptions* options = ParserOptions();
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  GObjectPtr<GMimeMessage> parsed(ParseMessage(stream.get(), options));
  if (!parsed) return std::nullopt;

  GMimeMessage* m = parsed.get();
  LoadedMessage message;
  InternetAddressList* from = g_mime_message_get_from(m);
  InternetAddressList* to = g_mime_message_get_to(m);
  message.from = AddressText(from);
  message.to = AddressText(to);
  message.subject = Text(g_mime_message_get_subject(m));
  message.message_id = Text(g_mime_message_get_message_id(m));
  FirstMailbox(from, message.sender_name, message.sender_address);
  FirstMailbox(to, message.receiver_name, message.receiver_address);
  message.sent_time = Seconds(g_mime_message_get_date(m));
  message.received_time = NewestReceivedDate(GMIME_OBJECT(m));
  if (!message.received_time) message.received_time = message.sent_time;
  if (GMimeObject* body = g_mime_message_get_mime_part(m)) Collect(body, false, wanted, message);
  if (!wanted.bodies) {
    message.html_body.clear();
    message.text_body.clear();
  }
  return message;
}

}  // namespace

std::optional<LoadedMessage> LoadMessage(std::span<const char> bytes, bool bodies) {
  return Load(bytes, {bodies, false});
}

std::vector<Attachment> LoadAttachments(std::span<const char> bytes) {
  auto message = Load(bytes, {false, true});
  return message ? std::move(message->attachments) : std::vector<Attachment>{};
}

}  // namespace rescuva::loader
