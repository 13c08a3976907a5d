#include "platform/evidence.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/ewf_image.h"
#include "platform/source_file.h"
#include "platform/split_raw_image.h"

namespace rescuva::platform {
namespace {

// Formats recognised by their first bytes that this program does not read, with what
// the user can do about it.
struct Unreadable {
  std::string_view magic;
  const char* what;
};

constexpr std::string_view kEwf("EVF\x09\x0D\x0A\xFF\x00", 8);
constexpr Unreadable kUnreadable[] = {
    {std::string_view("LVF\x09\x0D\x0A\xFF\x00", 8),
     "an EWF logical evidence file (L01), which holds files rather than a disk; export its "
     "files and open those"},
    {std::string_view("EVF2\x0D\x0A\x81\x00", 8),
     "an EWF2 image (Ex01), which this program cannot read; convert it to E01 or raw first"},
    {"AFF10\r\n", "an AFF image, which this program cannot read; convert it to raw or E01 first"},
    {"QFI\xFB", "a QCOW disk image, which this program cannot read; convert it to raw first"},
    {"KDMV", "a VMDK disk image, which this program cannot read; convert it to raw first"},
    {"vhdxfile", "a VHDX disk image, which this program cannot read; convert it to raw first"},
    {"\x1F\x8B", "a gzip-compressed file; unpack it first"},
    {"BZh", "a bzip2-compressed file; unpack it first"},
    {std::string_view("\xFD"
                      "7zXZ\x00",
                      6),
     "an xz-compressed file; unpack it first"},
    {"7z\xBC\xAF\x27\x1C", "a 7-Zip archive; unpack it first"},
    {"PK\x03\x04", "a ZIP archive; unpack it first"},
};

bool StartsWith(const std::array<uint8_t, 16>& head, std::string_view magic) {
  return std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

}  // namespace

Evidence OpenEvidence(const std::string& path) {
  Evidence evidence;
  auto file = std::make_unique<SourceFile>();
  if (!file->Open(path, true)) {
    evidence.open_error = file->OpenError();
    return evidence;
  }
  std::array<uint8_t, 16> head{};
  if (!file->ReadAt(0, head)) {
    evidence.open_error = std::strerror(EIO);
    return evidence;
  }
  if (StartsWith(head, kEwf)) {
    file.reset();  // the library opens every segment itself
    auto image = std::make_unique<EwfImage>();
    std::string error;
    if (!image->Open(path, error)) {
      evidence.problem = "an EWF image, but " + error;
      return evidence;
    }
    evidence.kind = "an EWF image of " + std::to_string(image->SegmentCount()) + " segment" +
                    (image->SegmentCount() == 1 ? "" : "s");
    evidence.source = std::move(image);
    return evidence;
  }
  for (const Unreadable& format : kUnreadable) {
    if (StartsWith(head, format.magic)) {
      evidence.problem = format.what;
      return evidence;
    }
  }
  if (const auto segments = SplitRawImage::SegmentsOf(path); segments.size() > 1) {
    file.reset();
    auto image = std::make_unique<SplitRawImage>();
    std::string error;
    if (!image->Open(segments, error)) {
      evidence.problem = "a raw image in segments, but " + error;
      return evidence;
    }
    evidence.kind = "a raw image of " + std::to_string(segments.size()) + " segments";
    evidence.source = std::move(image);
    return evidence;
  }
  evidence.source = std::move(file);
  return evidence;
}

}  // namespace rescuva::platform
